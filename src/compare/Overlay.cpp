#include "Overlay.h"
#include "Boundary.h"
#include "model/Mesh.h"
#include "model/TriangleIndex.h"
#include "platform/Shares.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr int WhollyInside = -1;

// The part of the convex polygon from[0..n-1] where a * x + b * y + c >= 0, into to: its
// corner count, 0 when less than a polygon is left, or WhollyInside (nothing written) when it
// is all of it, as it is for most clips of a small piece by a neighbour's side.
int ClipCorners(const TPieceCorner* from, int n, double a, double b, double c, TPieceCorner* to) {
    double f[TPiece::Most];
    int inside = 0;
    for (int i = 0; i < n; ++i) {
        f[i] = a * from[i].X + b * from[i].Y + c;
        inside += f[i] >= 0;
    }
    if (inside == n)
        return WhollyInside;
    if (inside == 0)
        return 0;
    int count = 0;
    for (int i = 0; i < n && count < TPiece::Most - 1; ++i) {
        const int j = i + 1 < n ? i + 1 : 0;
        if (f[i] >= 0)
            to[count++] = from[i];
        if ((f[i] >= 0) != (f[j] >= 0)) {
            const double t = f[i] / (f[i] - f[j]);
            to[count++] = {from[i].X + t * (from[j].X - from[i].X),
                           from[i].Y + t * (from[j].Y - from[i].Y)};
        }
    }
    return count < 3 ? 0 : count;
}
} // namespace

void TPiece::Clip(double a, double b, double c) {
    TPieceCorner kept[Most];
    const int count = ClipCorners(P, Count, a, b, c, kept);
    if (count == WhollyInside)
        return;
    std::memcpy(P, kept, sizeof P); // see the copy constructor
    Count = count;
}

void TPiece::ClipToTriangle(const TPieceCorner& p, const TPieceCorner& q, const TPieceCorner& r,
                            TPiece& part) const {
    const double turn = (q.X - p.X) * (r.Y - p.Y) - (r.X - p.X) * (q.Y - p.Y);
    const double o = turn > 0 ? 1 : -1;
    const TPieceCorner corners[3] = {p, q, r};
    // Each side's clip reads the last one's corners and writes the other buffer.
    TPieceCorner spare[Most];
    const TPieceCorner* from = P;
    TPieceCorner* to = part.P;
    int count = Count;
    for (int k = 0; k < 3 && count > 0; ++k) {
        const TPieceCorner &s = corners[k], &e = corners[(k + 1) % 3];
        // Inside: on the side of s -> e where the third corner lies.
        const double a = -o * (e.Y - s.Y), b = o * (e.X - s.X);
        const int kept = ClipCorners(from, count, a, b, -(a * s.X + b * s.Y), to);
        if (kept == WhollyInside)
            continue;
        count = kept;
        from = to;
        to = to == part.P ? spare : part.P;
    }
    if (from != part.P && count > 0)
        std::memcpy(part.P, from, sizeof P);
    part.Count = count;
    part.Origin = Origin;
}

double TPiece::Area() const {
    double twice = 0;
    for (int i = 1; i + 1 < Count; ++i)
        twice +=
            (P[i].X - P[0].X) * (P[i + 1].Y - P[0].Y) - (P[i + 1].X - P[0].X) * (P[i].Y - P[0].Y);
    return std::abs(twice) / 2;
}

void TPiece::Bounds(double& minX, double& minY, double& maxX, double& maxY) const {
    minX = minY = 1e300;
    maxX = maxY = -1e300;
    for (int i = 0; i < Count; ++i) {
        minX = std::min(minX, P[i].X);
        maxX = std::max(maxX, P[i].X);
        minY = std::min(minY, P[i].Y);
        maxY = std::max(maxY, P[i].Y);
    }
}

double DifferenceAt(const TPlane& model, const TPlane& other, const TPieceCorner& p) {
    const double d = other.At(p) - model.At(p);
    const double rounding =
        16 * std::numeric_limits<double>::epsilon() * (model.Magnitude(p) + other.Magnitude(p));
    return std::abs(d) <= rounding ? 0 : d;
}

namespace {
bool CornersInPlan(const TTriangle* triangle, const TPlanPoint& origin, TPieceCorner corners[3],
                   double z[3]) {
    if (!triangle)
        return false;
    for (int k = 0; k < 3; ++k) {
        const TTriVertex* v = triangle->Vertex(k + 1);
        if (!v || !std::isfinite(v->Easting) || !std::isfinite(v->Northing) ||
            !std::isfinite(v->Value))
            return false;
        corners[k] = {v->Easting - origin.X, v->Northing - origin.Y};
        z[k] = v->Value;
    }
    return true;
}

bool PlaneThrough(const TPieceCorner corners[3], const double z[3], TPlane& plane) {
    const double x1 = corners[1].X - corners[0].X, y1 = corners[1].Y - corners[0].Y;
    const double x2 = corners[2].X - corners[0].X, y2 = corners[2].Y - corners[0].Y;
    const double det = x1 * y2 - x2 * y1;
    if (!(det != 0) || !std::isfinite(det))
        return false;
    plane.GradientX = ((z[1] - z[0]) * y2 - (z[2] - z[0]) * y1) / det;
    plane.GradientY = ((z[2] - z[0]) * x1 - (z[1] - z[0]) * x2) / det;
    plane.Z0 = z[0] - plane.GradientX * corners[0].X - plane.GradientY * corners[0].Y;
    return std::isfinite(plane.GradientX) && std::isfinite(plane.GradientY) &&
           std::isfinite(plane.Z0);
}
} // namespace

bool TriangleInPlan(const TTriangle* triangle, const TPlanPoint& origin, TPieceCorner corners[3],
                    TPlane& plane) {
    double z[3];
    return CornersInPlan(triangle, origin, corners, z) && PlaneThrough(corners, z, plane);
}

TSurfaceBoxes::TSurfaceBoxes(const TTriangles& triangles) : FBoxes(size_t(triangles.Count())) {
    RunInShares(SharesFor(triangles.Count()), triangles.Count(), [&](int, int first, int last) {
        for (int i = first; i < last; ++i) {
            TPieceCorner corners[3];
            double z[3];
            FBoxes[size_t(i)] = CornersInPlan(triangles.TriangleAt(i), {0, 0}, corners, z)
                                    ? TBox{std::min({corners[0].X, corners[1].X, corners[2].X}),
                                           std::max({corners[0].X, corners[1].X, corners[2].X}),
                                           std::min({corners[0].Y, corners[1].Y, corners[2].Y}),
                                           std::max({corners[0].Y, corners[1].Y, corners[2].Y})}
                                    : TBox{NAN, NAN, NAN, NAN};
        }
    });
}

TTriangleOverlay::TTriangleOverlay(const TTriangleMesh* surface,
                                   const TBoundaryTrapezoids* boundary, TOverlayVisitor& visitor,
                                   const TSurfaceBoxes* boxes)
    : FSurface(surface), FBoxes(boxes), FBoundary(boundary), FVisitor(visitor) {}

void TTriangleOverlay::Triangle(const TTriangle* triangle) {
    const TTriVertex* first = triangle ? triangle->Vertex(1) : nullptr;
    if (!first)
        return;
    // Corners relative to the triangle's first corner keep the digits that big
    // coordinates would take.
    FOrigin = {first->Easting, first->Northing};
    TPieceCorner corners[3];
    if (!TriangleInPlan(triangle, FOrigin, corners, FModelPlane))
        return;
    TPiece piece;
    piece.Count = 3;
    piece.Origin = FOrigin;
    std::copy(corners, corners + 3, piece.P);
    if (!FBoundary)
        return AgainstSurface(piece, 1);
    double minX, minY, maxX, maxY;
    piece.Bounds(minX, minY, maxX, maxY);
    const double base = FBoundary->Base() - FOrigin.Y;
    FBoundary->ForEachMeeting(minX + FOrigin.X, maxX + FOrigin.X, [&](const TTrapezoid& t) {
        const TPieceCorner s{t.X1 - FOrigin.X, t.Y1 - FOrigin.Y};
        const TPieceCorner e{t.X2 - FOrigin.X, t.Y2 - FOrigin.Y};
        if (minY > std::max(s.Y, e.Y))
            return; // wholly above the side
        TPiece part = piece;
        part.Clip(1, 0, -s.X);                        // x >= x1
        part.Clip(-1, 0, e.X);                        // x <= x2
        part.Clip(0, 1, -base);                       // y >= base
        const double a = e.Y - s.Y, b = -(e.X - s.X); // below the side
        part.Clip(a, b, -(a * s.X + b * s.Y));
        if (part.Count > 0)
            AgainstSurface(part, t.Weight);
    });
}

void TTriangleOverlay::DropCandidatesBeside(double minX, double minY, double maxX, double maxY) {
    // Relative to the origin as the corners are below: rounding keeps the order of numbers, so
    // the box's sides are where the relative corners' extremes will be, and what is dropped here
    // is what the test of the corners would drop. Without a branch for each candidate: most are
    // dropped, and which cannot be foretold.
    const double x = FOrigin.X, y = FOrigin.Y;
    size_t kept = 0;
    for (size_t i = 0; i < FCandidates.size(); ++i) {
        const int32_t position = FCandidates[i];
        const TSurfaceBoxes::TBox& box = (*FBoxes)[position];
        const bool beside = (box.MaxX - x < minX) | (box.MinX - x > maxX) | (box.MaxY - y < minY) |
                            (box.MinY - y > maxY);
        FCandidates[kept] = position;
        kept += !beside;
    }
    FCandidates.resize(kept);
}

void TTriangleOverlay::AgainstSurface(const TPiece& piece, int weight) {
    if (!FSurface)
        return FVisitor.Piece(piece, FModelPlane, nullptr, weight);
    double minX, minY, maxX, maxY;
    piece.Bounds(minX, minY, maxX, maxY);
    if (!FSurface->Index().CandidatesInRectWithRepeats(
            minX + FOrigin.X, minY + FOrigin.Y, maxX + FOrigin.X, maxY + FOrigin.Y, FCandidates)) {
        FCandidates.resize(size_t(FSurface->Triangles().Count()));
        for (int i = 0; i < FSurface->Triangles().Count(); ++i)
            FCandidates[size_t(i)] = i;
    }
    // Each surface triangle once per piece: the piece's stamp marks those already taken.
    if (FStamps.empty())
        FStamps.assign(size_t(FSurface->Triangles().Count()), 0);
    if (++FStamp == 0) { // wrapped round: start again
        std::fill(FStamps.begin(), FStamps.end(), 0);
        FStamp = 1;
    }
    if (FBoxes)
        DropCandidatesBeside(minX, minY, maxX, maxY);
    for (const int32_t position : FCandidates) {
        if (FStamps[size_t(position)] == FStamp)
            continue;
        FStamps[size_t(position)] = FStamp;
        TPieceCorner corners[3];
        double z[3];
        if (!CornersInPlan(FSurface->Triangles().TriangleAt(position), FOrigin, corners, z))
            continue;
        if (std::max({corners[0].X, corners[1].X, corners[2].X}) < minX ||
            std::min({corners[0].X, corners[1].X, corners[2].X}) > maxX ||
            std::max({corners[0].Y, corners[1].Y, corners[2].Y}) < minY ||
            std::min({corners[0].Y, corners[1].Y, corners[2].Y}) > maxY)
            continue;
        TPiece part;
        piece.ClipToTriangle(corners[0], corners[1], corners[2], part);
        TPlane plane;
        if (part.Count > 0 && PlaneThrough(corners, z, plane))
            FVisitor.Piece(part, FModelPlane, &plane, weight);
    }
}

void OverlayTriangles(const TTriangles& model, int first, int last, const TTriangleMesh* surface,
                      const TSurfaceBoxes* boxes, const TBoundaryTrapezoids* boundary,
                      TOverlayVisitor& visitor) {
    TTriangleOverlay overlay(surface, boundary, visitor, boxes);
    for (int i = first; i < last; ++i)
        overlay.Triangle(model.TriangleAt(i));
}
