#include "TerrainPick.h"
#include "TerrainTiles.h"
#include "model/Geometry.h"
#include "model/TriangleIndex.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// The part t0..t1 of the ray inside the box, or false when it misses it.
bool ClipToBox(TVec3 origin, TVec3 direction, TVec3 low, TVec3 high, double& t0, double& t1) {
    t0 = 0;
    t1 = INFINITY;
    const double o[3] = {origin.X, origin.Y, origin.Z},
                 d[3] = {direction.X, direction.Y, direction.Z};
    const double lo[3] = {low.X, low.Y, low.Z}, hi[3] = {high.X, high.Y, high.Z};
    for (int axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0) {
            if (o[axis] < lo[axis] || o[axis] > hi[axis])
                return false;
            continue;
        }
        double a = (lo[axis] - o[axis]) / d[axis], b = (hi[axis] - o[axis]) / d[axis];
        if (a > b)
            std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    }
    return t0 <= t1;
}

// The ray's parameter where it meets the triangle, or a negative value (Moller and Trumbore).
double MeetTriangle(TVec3 origin, TVec3 direction, TVec3 a, TVec3 b, TVec3 c) {
    const TVec3 e1 = b - a, e2 = c - a;
    const TVec3 p = Cross(direction, e2);
    const double det = Dot(e1, p);
    if (det == 0 || !std::isfinite(det))
        return -1;
    const TVec3 s = origin - a;
    const double u = Dot(s, p) / det;
    if (u < 0 || u > 1)
        return -1;
    const TVec3 q = Cross(s, e1);
    const double v = Dot(direction, q) / det;
    if (v < 0 || u + v > 1)
        return -1;
    return Dot(e2, q) / det;
}
} // namespace

TSurfaceHit PickSurface(const TTriangleMesh& mesh, const TTerrainTiles& tiles, const TRay& ray,
                        double exaggeration) {
    TSurfaceHit hit;
    // In the model's own units, relative to the centre: stretching back the elevations keeps
    // the ray's parameter.
    const TVec3 origin{ray.Origin.X, ray.Origin.Y, ray.Origin.Z / exaggeration};
    const TVec3 direction{ray.Direction.X, ray.Direction.Y, ray.Direction.Z / exaggeration};
    const TVec3 margin{1e-6, 1e-6, 1e-6};
    double t0, t1;
    if (!ClipToBox(origin, direction, tiles.Low() - margin, tiles.High() + margin, t0, t1))
        return hit;
    const TVec3 enter = origin + direction * t0, leave = origin + direction * t1;
    std::vector<int32_t> candidates;
    mesh.Index().CandidatesAlongSegment(enter.X + tiles.CentreE, enter.Y + tiles.CentreN,
                                        leave.X + tiles.CentreE, leave.Y + tiles.CentreN,
                                        candidates);
    auto corner = [&](const TTriVertex* v) {
        return TVec3{v->Easting - tiles.CentreE, v->Northing - tiles.CentreN,
                     v->Value - tiles.CentreZ};
    };
    double nearest = INFINITY;
    for (int32_t position : candidates) {
        TTriangle* t = mesh.Triangles().TriangleAt(position);
        if (!t || !t->Vertex(1) || !t->Vertex(2) || !t->Vertex(3))
            continue;
        const double along = MeetTriangle(origin, direction, corner(t->Vertex(1)),
                                          corner(t->Vertex(2)), corner(t->Vertex(3)));
        if (along >= 0 && along < nearest) {
            nearest = along;
            hit.Triangle = t;
        }
    }
    if (!hit.Triangle)
        return hit;
    const TVec3 at = origin + direction * nearest;
    hit.Easting = at.X + tiles.CentreE;
    hit.Northing = at.Y + tiles.CentreN;
    hit.Value = at.Z + tiles.CentreZ;
    hit.Scene = {at.X, at.Y, at.Z * exaggeration};
    return hit;
}
