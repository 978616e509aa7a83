#pragma once
// A boundary polygon in plan (one or several areas, each an outer ring and any holes) and its
// pieces for exact integration: the polygon is the signed sum of the trapezoids between each side
// and a base line below it, so a triangle's part inside it is the signed sum of its parts in those
// trapezoids, each a convex polygon. This holds for any simple rings, convex or not, in either
// direction.
#include "terrain/PlanPoint.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TBoundary {
    // Each area's rings, its outer ring first and then its holes.
    std::vector<std::vector<TPlanPoint>> Rings;
    // Where each area after the first begins in Rings: none for a boundary of one area.
    std::vector<std::size_t> AreaStarts = {};
    bool operator==(const TBoundary&) const = default;
};

// Whether ring r of the boundary is an area's outer ring (else a hole).
bool IsOuterRing(const TBoundary& boundary, std::size_t r);
// The boundary's plan area: its outer rings' less their holes'.
double PlanArea(const TBoundary& boundary);
// Whether p lies inside the boundary: inside an outer ring and in no hole (a valid boundary's;
// a point on a side may fall either way).
bool BoundaryHolds(const TBoundary& boundary, const TPlanPoint& p);
// Why the boundary cannot bound anything, or an empty text: a ring of fewer than three
// distinct corners, a coordinate that is not finite, sides that cross or a ring that touches
// itself (named with the place), a hole outside its outer ring or inside another hole, areas
// that overlap, no area. A polygon that passes has lobes of one sign: no area counts against
// another.
std::string BoundaryProblem(const TBoundary& boundary);

// A side's trapezoid: the region x1 <= x <= x2 between the base line and the side, counted
// with Weight (+1 or -1).
struct TTrapezoid {
    double X1, Y1, X2, Y2; // the side, X1 < X2
    int Weight;
};

// The trapezoids of a boundary, found by plan x through vertical slabs.
class TBoundaryTrapezoids {
public:
    explicit TBoundaryTrapezoids(const TBoundary& boundary);
    double Base() const { return FBase; }
    // Calls visit(trapezoid) once for each trapezoid whose x range meets [minX, maxX].
    template <class TVisit> void ForEachMeeting(double minX, double maxX, TVisit&& visit) const {
        if (FTrapezoids.empty() || maxX < FMinX || minX > FMaxX)
            return;
        const int first = Slab(minX), last = Slab(maxX);
        for (int s = first; s <= last; ++s)
            for (uint32_t e = FSlabStart[std::size_t(s)]; e < FSlabStart[std::size_t(s) + 1]; ++e) {
                const TTrapezoid& t = FTrapezoids[FSlabEntries[e]];
                // Visited in the slab where the two x ranges begin to overlap, and only there.
                if (t.X2 < minX || t.X1 > maxX || Slab(std::max(minX, t.X1)) != s)
                    continue;
                visit(t);
            }
    }

private:
    int Slab(double x) const;

    std::vector<TTrapezoid> FTrapezoids;
    double FBase = 0, FMinX = 0, FMaxX = 0, FSlabWidth = 1;
    int FSlabs = 0;
    std::vector<uint32_t> FSlabStart, FSlabEntries;
};
