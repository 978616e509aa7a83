#include "Overlay.h"
#include "Boundary.h"
#include "model/Mesh.h"
#include "model/TriangleIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

void TPiece::Clip(double a, double b, double c) {
    double f[Most];
    bool anyIn = false, anyOut = false;
    for (int i = 0; i < Count; ++i) {
        f[i] = a * P[i].X + b * P[i].Y + c;
        (f[i] >= 0 ? anyIn : anyOut) = true;
    }
    if (!anyOut)
        return; // wholly inside: most clips of a small piece by a neighbour's side
    if (!anyIn) {
        Count = 0;
        return;
    }
    TPieceCorner kept[Most];
    int count = 0;
    for (int i = 0; i < Count && count < Most - 1; ++i) {
        const int j = (i + 1) % Count;
        if (f[i] >= 0)
            kept[count++] = P[i];
        if ((f[i] >= 0) != (f[j] >= 0)) {
            const double t = f[i] / (f[i] - f[j]);
            kept[count++] = {P[i].X + t * (P[j].X - P[i].X), P[i].Y + t * (P[j].Y - P[i].Y)};
        }
    }
    std::copy(kept, kept + count, P);
    Count = count < 3 ? 0 : count;
}

void TPiece::ClipToTriangle(const TPieceCorner& p, const TPieceCorner& q, const TPieceCorner& r) {
    const double turn = (q.X - p.X) * (r.Y - p.Y) - (r.X - p.X) * (q.Y - p.Y);
    const double o = turn > 0 ? 1 : -1;
    const TPieceCorner corners[3] = {p, q, r};
    for (int k = 0; k < 3 && Count > 0; ++k) {
        const TPieceCorner &s = corners[k], &e = corners[(k + 1) % 3];
        // Inside: on the side of s -> e where the third corner lies.
        const double a = -o * (e.Y - s.Y), b = o * (e.X - s.X);
        Clip(a, b, -(a * s.X + b * s.Y));
    }
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

TTriangleOverlay::TTriangleOverlay(const TTriangleMesh* surface,
                                   const TBoundaryTrapezoids* boundary, TOverlayVisitor& visitor)
    : FSurface(surface), FBoundary(boundary), FVisitor(visitor) {}

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
        TPiece part = piece;
        part.ClipToTriangle(corners[0], corners[1], corners[2]);
        TPlane plane;
        if (part.Count > 0 && PlaneThrough(corners, z, plane))
            FVisitor.Piece(part, FModelPlane, &plane, weight);
    }
}

void OverlayTriangles(const TTriangles& model, int first, int last, const TTriangleMesh* surface,
                      const TBoundaryTrapezoids* boundary, TOverlayVisitor& visitor) {
    TTriangleOverlay overlay(surface, boundary, visitor);
    for (int i = first; i < last; ++i)
        overlay.Triangle(model.TriangleAt(i));
}
