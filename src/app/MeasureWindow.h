#pragma once
// TfrmMeasure: the lengths of a line drawn on the map, in plan and along the ground, and each
// segment's length, bearing and grade.
#include "ReportWindow.h"
#include "compare/Measure.h"

// The measure as the window shows it, numbers with the user's decimal separator.
QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const QString& unit);

class TfrmMeasure : public TReportWindow {
public:
    explicit TfrmMeasure(QWidget* parent = nullptr)
        : TReportWindow("frmMeasure", "Measure", parent) {}
    void ShowMeasure(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                     const QString& unit) {
        ShowText(MeasureText(line, segments, unit));
    }
};
