// vrkinfo measure FILE ...: the lengths along a line or the areas of a polygon.
#include "compare/Measure.h"
#include "Run.h"
#include "vrk/VRKModel.h"

namespace vrkinfo {
int TRun::MeasurePolygon(const QString& file) {
    TBoundary polygon;
    if (!ReadPolygon(polygon, *FLine.Polygon))
        return ExitUnreadable;
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TAreaMeasure m = MeasureArea(model.Triangles(), polygon);
    WriteFigures(file, {{"plan area", "planArea", m.PlanArea, 2},
                        {"surface area", "surfaceArea", m.SurfaceArea, 2}});
    return ExitDone;
}

int TRun::Measure(const QString& file, const TPoints& points) {
    const std::vector<TPlanPoint> line = LineThrough(points);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TLineMeasure m = MeasureLine(model, line);
    WriteFigures(file, {{"plan length", "planLength", m.PlanLength, 1},
                        {"surface length", "surfaceLength", m.SurfaceLength, 1}});
    return ExitDone;
}
} // namespace vrkinfo
