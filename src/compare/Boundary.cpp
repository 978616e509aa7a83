#include "Boundary.h"

#include <algorithm>
#include <cmath>

namespace {
// Twice the ring's signed area: positive anticlockwise.
double DoubleSignedArea(const std::vector<TPlanPoint>& ring) {
    double sum = 0;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TPlanPoint &p = ring[i], &q = ring[(i + 1) % n];
        sum += (p.X - ring[0].X) * (q.Y - ring[0].Y) - (q.X - ring[0].X) * (p.Y - ring[0].Y);
    }
    return sum;
}
} // namespace

double PlanArea(const TBoundary& boundary) {
    double area = 0;
    for (std::size_t r = 0; r < boundary.Rings.size(); ++r)
        area += (r == 0 ? 0.5 : -0.5) * std::abs(DoubleSignedArea(boundary.Rings[r]));
    return area;
}

const char* BoundaryProblem(const TBoundary& boundary) {
    if (boundary.Rings.empty())
        return "the polygon has no ring";
    for (const auto& ring : boundary.Rings) {
        for (const TPlanPoint& p : ring)
            if (!std::isfinite(p.X) || !std::isfinite(p.Y))
                return "a corner of the polygon is not a finite number";
        if (ring.size() < 3)
            return "a ring of the polygon has fewer than three corners";
    }
    if (!(PlanArea(boundary) > 0) || !std::isfinite(PlanArea(boundary)))
        return "the polygon has no area";
    return "";
}

TBoundaryTrapezoids::TBoundaryTrapezoids(const TBoundary& boundary) {
    FBase = 1e300;
    for (const auto& ring : boundary.Rings)
        for (const TPlanPoint& p : ring)
            FBase = std::min(FBase, p.Y);
    for (std::size_t r = 0; r < boundary.Rings.size(); ++r) {
        const auto& ring = boundary.Rings[r];
        // Anticlockwise, the outer ring's top sides run towards smaller x and count +1.
        const double area = DoubleSignedArea(ring);
        if (area == 0)
            continue;
        const int ringSign = (r == 0 ? 1 : -1) * (area > 0 ? 1 : -1);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const TPlanPoint &p = ring[i], &q = ring[(i + 1) % ring.size()];
            if (p.X == q.X)
                continue; // a vertical side bounds no trapezoid
            FTrapezoids.push_back(p.X < q.X ? TTrapezoid{p.X, p.Y, q.X, q.Y, -ringSign}
                                            : TTrapezoid{q.X, q.Y, p.X, p.Y, ringSign});
        }
    }
    if (FTrapezoids.empty())
        return;
    FMinX = 1e300, FMaxX = -1e300;
    for (const TTrapezoid& t : FTrapezoids) {
        FMinX = std::min(FMinX, t.X1);
        FMaxX = std::max(FMaxX, t.X2);
    }
    // About one slab a side, fewer where long sides would each be listed in very many of them.
    for (FSlabs = static_cast<int>(std::clamp<std::size_t>(FTrapezoids.size(), 1, 4096));;
         FSlabs /= 2) {
        FSlabWidth = (FMaxX - FMinX) / FSlabs;
        if (!(FSlabWidth > 0) || !std::isfinite(FSlabWidth)) {
            FSlabs = 1;
            FSlabWidth = 1;
        }
        std::size_t entries = 0;
        for (const TTrapezoid& t : FTrapezoids)
            entries += std::size_t(Slab(t.X2) - Slab(t.X1) + 1);
        if (FSlabs == 1 || entries <= 16 * FTrapezoids.size())
            break;
    }
    FSlabStart.assign(size_t(FSlabs) + 1, 0);
    for (const TTrapezoid& t : FTrapezoids)
        for (int s = Slab(t.X1); s <= Slab(t.X2); ++s)
            ++FSlabStart[size_t(s) + 1];
    for (std::size_t s = 1; s < FSlabStart.size(); ++s)
        FSlabStart[s] += FSlabStart[s - 1];
    FSlabEntries.resize(FSlabStart.back());
    std::vector<uint32_t> next(FSlabStart.begin(), FSlabStart.end() - 1);
    for (uint32_t i = 0; i < FTrapezoids.size(); ++i)
        for (int s = Slab(FTrapezoids[i].X1); s <= Slab(FTrapezoids[i].X2); ++s)
            FSlabEntries[next[size_t(s)]++] = i;
}

int TBoundaryTrapezoids::Slab(double x) const {
    const double s = std::floor((x - FMinX) / FSlabWidth);
    return static_cast<int>(std::clamp(s, 0.0, double(FSlabs - 1)));
}
