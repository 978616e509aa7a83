#include "Measure.h"
#include "Boundary.h"
#include "Overlay.h"
#include "Volumes.h"
#include "model/Geometry.h"
#include "platform/Shares.h"
#include "terrain/Profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

double Bearing(const TPlanPoint& from, const TPlanPoint& to) {
    const double degrees = std::atan2(to.X - from.X, to.Y - from.Y) * 180 / M_PI;
    return degrees < 0 ? degrees + 360 : degrees;
}

std::vector<TSegmentMeasure> MeasureSegments(const TTriangleMesh& mesh,
                                             const std::vector<TPlanPoint>& line) {
    auto elevation = [&](const TPlanPoint& p) {
        double value = NAN;
        return mesh.FindSurfaceValue(p.X, p.Y, value) && value != NullValue ? value : NAN;
    };
    std::vector<TSegmentMeasure> segments;
    for (size_t i = 1; i < line.size(); ++i) {
        TSegmentMeasure segment;
        segment.PlanLength = std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
        segment.Bearing = Bearing(line[i - 1], line[i]);
        segment.Grade = (elevation(line[i]) - elevation(line[i - 1])) / segment.PlanLength * 100;
        segments.push_back(segment);
    }
    return segments;
}

namespace {
// The overlay of the triangles with the polygon, each piece's plan area stretched by its
// plane's slope.
class TSurfaceArea : public TOverlayVisitor {
public:
    void Piece(const TPiece& piece, const TPlane& model, const TPlane*, int weight) override {
        const double stretch = std::hypot(1.0, model.GradientX, model.GradientY);
        (weight > 0 ? Plus : Minus).Add(piece.Area() * stretch);
    }
    TCompensatedSum Plus, Minus;
};
} // namespace

TAreaMeasure MeasureArea(const TTriangles& triangles, const TBoundary& polygon) {
    const TBoundaryTrapezoids trapezoids(polygon);
    TCompensatedSum plus, minus;
    for (const TSurfaceArea& part :
         OverlayInShares(triangles, nullptr, &trapezoids, TSurfaceArea())) {
        plus.Add(part.Plus);
        minus.Add(part.Minus);
    }
    return {PlanArea(polygon), plus.Value() - minus.Value()};
}

TTriangleSlope SlopeOf(const TTriangle& triangle) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TTriVertex* first = triangle.Vertex(1);
    TPieceCorner corners[3];
    TPlane plane;
    if (!first || !TriangleInPlan(&triangle, {first->Easting, first->Northing}, corners, plane))
        return {nan, nan, nan, nan, nan};
    TPiece piece;
    piece.Count = 3;
    std::copy(corners, corners + 3, piece.P);
    const double planArea = piece.Area();
    const double rise = std::hypot(plane.GradientX, plane.GradientY);
    // Downhill is against the gradient; a bearing counts from north towards east.
    const double aspect = rise > 0 ? Bearing({0, 0}, {-plane.GradientX, -plane.GradientY}) : nan;
    return {planArea, planArea * std::hypot(1.0, rise), 100 * rise, std::atan(rise) * 180 / M_PI,
            aspect};
}
