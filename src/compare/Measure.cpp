#include "Measure.h"
#include "Volumes.h"
#include "terrain/Profile.h"

#include <cmath>

TLineMeasure MeasureLine(const TTriangleMesh& mesh, const std::vector<TPlanPoint>& line) {
    TLineMeasure measure;
    measure.PlanLength = LineLength(line);
    const std::vector<TProfilePoint> profile = ComputeProfile(mesh, line);
    TCompensatedSum surface, plan;
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        const TProfilePoint &from = profile[i], &to = profile[i + 1];
        if (!from.Triangle)
            continue; // a gap off the mesh
        const double rise = PlaneValue(*from.Triangle, to.Easting, to.Northing) -
                            PlaneValue(*from.Triangle, from.Easting, from.Northing);
        const double run = to.Distance - from.Distance;
        if (!std::isfinite(rise))
            continue; // a triangle without a plane
        surface.Add(std::hypot(run, rise));
        plan.Add(run);
    }
    measure.SurfaceLength = surface.Value();
    measure.PlanOnMesh = plan.Value();
    return measure;
}

const TTriVertex* ExtremeVertex(const TTriVertices& vertices, bool highest) {
    const TTriVertex* found = nullptr;
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        if (!v || !std::isfinite(v->Value) || !std::isfinite(v->Easting) ||
            !std::isfinite(v->Northing))
            continue;
        if (!found || (highest ? v->Value > found->Value : v->Value < found->Value))
            found = v;
    }
    return found;
}
