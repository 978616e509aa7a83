#pragma once
// The pieces where the model's triangles, a comparison surface's triangles and a boundary
// overlap, computed one model triangle at a time and never kept: each piece is a convex polygon
// on which both surfaces are planes, so any quantity that is an integral over the plan can be
// summed exactly piece by piece.
#include "model/Mesh.h"
#include "platform/Memory.h"
#include "platform/Shares.h"
#include "terrain/PlanPoint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include <vector>

class TTriangle;
class TTriangles;
class TTriangleMesh;
class TBoundaryTrapezoids;

// A corner of a piece: plain data, as pieces are made and copied by the million and never
// need their unused corners cleared.
struct TPieceCorner {
    double X, Y;
};

// A convex polygon in plan, its corners relative to an origin near it.
struct TPiece {
    static constexpr int Most = 16; // a triangle clipped by a triangle and a trapezoid has 10
    TPieceCorner P[Most];
    int Count = 0;
    TPlanPoint Origin; // what the corners are relative to

    TPiece() {}
    // All corners at once, in a few wide moves: a copy of only the used ones costs a call to a
    // string move that is slow to start for so few bytes.
    TPiece(const TPiece& other) : Count(other.Count), Origin(other.Origin) {
        std::memcpy(P, other.P, sizeof P);
    }
    TPiece& operator=(const TPiece&) = delete;

    // Keeps the part where a * x + b * y + c >= 0.
    void Clip(double a, double b, double c);
    // The part inside the triangle p, q, r (either direction), into part.
    void ClipToTriangle(const TPieceCorner& p, const TPieceCorner& q, const TPieceCorner& r,
                        TPiece& part) const;
    double Area() const;
    void Bounds(double& minX, double& minY, double& maxX, double& maxY) const;
};

// A surface over a triangle: z = Z0 + GradientX * x + GradientY * y, x and y relative to the
// same origin as the pieces'.
struct TPlane {
    double Z0 = 0, GradientX = 0, GradientY = 0;
    double At(const TPieceCorner& p) const { return Z0 + GradientX * p.X + GradientY * p.Y; }
    // The size of the terms At adds up: its rounding error is a few units in the last place
    // of this.
    double Magnitude(const TPieceCorner& p) const {
        return std::abs(Z0) + std::abs(GradientX * p.X) + std::abs(GradientY * p.Y);
    }
};

// The difference other - model at p, exactly 0 where it is within the rounding of the two
// planes: where two surfaces coincide, neither cut nor fill is made of the rounding.
double DifferenceAt(const TPlane& model, const TPlane& other, const TPieceCorner& p);

// The triangle's corners relative to origin, its plane, false when it has no plan area or a
// corner that is missing or not finite.
bool TriangleInPlan(const TTriangle* triangle, const TPlanPoint& origin, TPieceCorner corners[3],
                    TPlane& plane);

// Told of every piece where a model triangle, a comparison surface triangle (when there is a
// surface) and the boundary (when there is one) overlap: its corners, the model's plane, the
// surface's plane (null without a surface) and the weight (+1 or -1) it counts with; the
// weighted sum over the pieces of any integral over the plan is that integral over the overlap.
class TOverlayVisitor {
public:
    virtual ~TOverlayVisitor() = default;
    virtual void Piece(const TPiece& piece, const TPlane& model, const TPlane* surface,
                       int weight) = 0;
};

// The plan boxes of the comparison surface's triangles, in their order: most triangles the
// look-up index offers a piece lie beside it, and their boxes, read from here, turn them away
// without reaching their corners through the mesh's objects.
class TSurfaceBoxes {
public:
    struct TBox {
        double MinX, MaxX, MinY, MaxY; // NaN for a triangle without three finite corners
    };
    explicit TSurfaceBoxes(const TTriangles& triangles);
    const TBox& operator[](int position) const { return FBoxes[size_t(position)]; }

private:
    TLargeArray<TBox> FBoxes;
};

// The overlay one model triangle at a time.
class TTriangleOverlay {
public:
    // boxes, when given, are the surface's, found once.
    TTriangleOverlay(const TTriangleMesh* surface, const TBoundaryTrapezoids* boundary,
                     TOverlayVisitor& visitor, const TSurfaceBoxes* boxes = nullptr);
    void Triangle(const TTriangle* triangle);

private:
    void AgainstSurface(const TPiece& piece, int weight);
    // Drops the candidates whose box lies beside the piece's box (relative to the origin).
    void DropCandidatesBeside(double minX, double minY, double maxX, double maxY);

    const TTriangleMesh* FSurface;
    const TSurfaceBoxes* FBoxes;
    const TBoundaryTrapezoids* FBoundary;
    TOverlayVisitor& FVisitor;
    TPlanPoint FOrigin;
    TPlane FModelPlane;
    std::vector<int32_t> FCandidates;
    std::vector<uint32_t> FStamps; // FStamp where a surface triangle was taken for the piece
    uint32_t FStamp = 0;
};

// The model triangles first..last-1. Builds nothing: the surface's look-up index must exist.
void OverlayTriangles(const TTriangles& model, int first, int last, const TTriangleMesh* surface,
                      const TSurfaceBoxes* boxes, const TBoundaryTrapezoids* boundary,
                      TOverlayVisitor& visitor);

// The overlay of every model triangle, in consecutive shares on every core for a large model,
// each share told to a copy of prototype; the copies in share order, for sums that come out the
// same in every run. Builds the surface's look-up index first.
template <class TVisitor>
std::vector<TVisitor> OverlayInShares(const TTriangles& model, const TTriangleMesh* surface,
                                      const TBoundaryTrapezoids* boundary,
                                      const TVisitor& prototype) {
    std::optional<TSurfaceBoxes> boxes;
    if (surface) {
        surface->Index(); // built once, before the shares read it
        boxes.emplace(surface->Triangles());
    }
    const int shares = model.Count() < 20000 ? 1 : CoreCount();
    std::vector<TVisitor> parts(static_cast<size_t>(shares), prototype);
    RunInShares(shares, model.Count(), [&](int share, int first, int last) {
        OverlayTriangles(model, first, last, surface, boxes ? &*boxes : nullptr, boundary,
                         parts[size_t(share)]);
    });
    return parts;
}
