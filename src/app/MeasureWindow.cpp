#include "MeasureWindow.h"
#include "platform/ErrorGuard.h"
#include "platform/NumberText.h"

#include <QPushButton>

#include <cmath>

QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const std::optional<TAreaMeasure>& area, const QString& unit,
                    const std::vector<TMeasuredPoint>& points) {
    const QChar separator = SystemDecimalSeparator();
    auto length = [&](double value) { return FormatFixed(value, 3, separator) + ' ' + unit; };
    QString text = "Plan length: " + length(line.PlanLength) + '\n';
    text += "Surface length: " + length(line.SurfaceLength);
    if (line.PlanOnMesh < line.PlanLength)
        text += " (over " + length(line.PlanOnMesh) + " of the line on the model)";
    text += '\n';
    for (size_t i = 0; i < segments.size(); ++i) {
        const TSegmentMeasure& s = segments[i];
        text += QString("%1: %2, bearing %3°, grade %4\n")
                    .arg(i + 1)
                    .arg(length(s.PlanLength), FormatFixed(s.Bearing, 3, separator),
                         std::isnan(s.Grade) ? QString("off the model")
                                             : FormatFixed(s.Grade, 2, separator) + " %");
    }
    if (area) {
        auto square = [&](double value) {
            return FormatFixed(value, 3, separator) + ' ' + unit + "²";
        };
        text += "Closed: plan area " + square(area->PlanArea) + ", surface area " +
                square(area->SurfaceArea) + '\n';
    }
    if (!points.empty())
        text += "Points (easting, northing, elevation):\n";
    for (size_t i = 0; i < points.size(); ++i) {
        const TMeasuredPoint& p = points[i];
        text +=
            QString("%1: %2, %3, %4\n")
                .arg(i + 1)
                .arg(FormatFixed(p.Easting, 3, separator), FormatFixed(p.Northing, 3, separator),
                     std::isnan(p.Elevation) ? QString("off the model")
                                             : FormatFixed(p.Elevation, 3, separator));
    }
    return text;
}

TfrmMeasure::TfrmMeasure(QWidget* parent) : TReportWindow("frmMeasure", "Measure", parent) {
    connect(AddButton("&Save...", "btnSave"), &QPushButton::clicked, this,
            [this] { RunGuarded([&] { btnSaveClick(); }); });
}

void TfrmMeasure::ShowMeasure(const TLineMeasure& line,
                              const std::vector<TSegmentMeasure>& segments,
                              const std::optional<TAreaMeasure>& area, const QString& unit,
                              const std::vector<TMeasuredPoint>& points) {
    FPoints = points;
    FPolygon = area.has_value();
    ShowText(MeasureText(line, segments, area, unit, points));
}

void TfrmMeasure::btnSaveClick() {
    if (OnSave && !FPoints.empty())
        OnSave(FPoints, FPolygon);
}
