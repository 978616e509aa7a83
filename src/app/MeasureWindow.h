#pragma once
// TfrmMeasure: the lengths of a line drawn on the map, in plan and along the ground, and each
// segment's length, bearing and grade.
#include "ReportWindow.h"
#include "compare/Measure.h"

#include <optional>

// The measure as the window shows it, numbers with the user's decimal separator.
// With an area, the line closed into a polygon is measured too.
QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const std::optional<TAreaMeasure>& area, const QString& unit);

class TfrmMeasure : public TReportWindow {
public:
    explicit TfrmMeasure(QWidget* parent = nullptr)
        : TReportWindow("frmMeasure", "Measure", parent) {}
    void ShowMeasure(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                     const std::optional<TAreaMeasure>& area, const QString& unit) {
        ShowText(MeasureText(line, segments, area, unit));
    }
};
