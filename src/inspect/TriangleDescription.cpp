#include "TriangleDescription.h"
#include "compare/Measure.h"
#include "model/Mesh.h"
#include "platform/NumberText.h"

#include <cmath>

QString TrianglePointsText(const TTriangle& triangle, QChar separator) {
    QString text;
    for (int k = 1; k <= 3; ++k) {
        const TTriVertex* v = triangle.Vertex(k);
        text +=
            QString("%1: %2, %3, %4\r\n")
                .arg(v->Number)
                .arg(FormatFixed(v->Easting, 3, separator), FormatFixed(v->Northing, 3, separator),
                     FormatFixed(v->Value, 3, separator));
    }
    return text;
}

QString DirectionText(const TTriangle& triangle) {
    return triangle.IsClockwise() ? "Clockwise" : "Anticlockwise";
}

QString NeighbourText(const TTriangle* neighbour) {
    return neighbour ? QString::number(neighbour->Number) : QString("None");
}

void TTriangleHistory::Add(TTriangle* triangle) {
    const size_t length = FEntries.empty() ? 1 : static_cast<size_t>(FIndex) + 2;
    FEntries.resize(length);
    FIndex = static_cast<int>(length) - 1;
    FEntries.back() = triangle;
}

QString SlopeText(const TTriangleSlope& slope, QChar separator) {
    if (std::isnan(slope.SlopePercent))
        return {};
    return QString("Slope %1 % (%2°), %3")
        .arg(FormatFixed(slope.SlopePercent, 2, separator),
             FormatFixed(slope.SlopeDegrees, 2, separator),
             std::isnan(slope.Aspect) ? QString("flat")
                                      : "aspect " + FormatFixed(slope.Aspect, 1, separator) + "°");
}

QString AreaText(const TTriangleSlope& slope, QChar separator) {
    if (std::isnan(slope.PlanArea))
        return {};
    return FormatFixed(slope.PlanArea, 3, separator) + " in plan, " +
           FormatFixed(slope.SurfaceArea, 3, separator) + " on the surface";
}
