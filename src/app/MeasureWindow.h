#pragma once
// TfrmMeasure: the lengths of a line drawn on the map, in plan and along the ground, and each
// segment's length, bearing and grade.
#include "ReportWindow.h"
#include "compare/Measure.h"

#include <functional>
#include <optional>

// A corner of the line measured, with the surface's elevation there (NaN off the model).
struct TMeasuredPoint {
    double Easting, Northing, Elevation;
};

// The measure as the window shows it (and its Copy copies), numbers with the user's decimal
// separator. With an area, the line closed into a polygon is measured too; with points, their
// coordinates close the text.
QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const std::optional<TAreaMeasure>& area, const QString& unit,
                    const std::vector<TMeasuredPoint>& points = {});

class TfrmMeasure : public TReportWindow {
public:
    explicit TfrmMeasure(QWidget* parent = nullptr);
    void ShowMeasure(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                     const std::optional<TAreaMeasure>& area, const QString& unit,
                     const std::vector<TMeasuredPoint>& points);
    void btnSaveClick();

    // Save writes the points measured, as a polygon when its area was measured.
    std::function<void(const std::vector<TMeasuredPoint>& points, bool polygon)> OnSave;

private:
    std::vector<TMeasuredPoint> FPoints;
    bool FPolygon = false;
};
