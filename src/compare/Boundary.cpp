#include "Boundary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

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

bool IsOuterRing(const TBoundary& boundary, std::size_t r) {
    return r == 0 || std::find(boundary.AreaStarts.begin(), boundary.AreaStarts.end(), r) !=
                         boundary.AreaStarts.end();
}

double PlanArea(const TBoundary& boundary) {
    double area = 0;
    for (std::size_t r = 0; r < boundary.Rings.size(); ++r)
        area +=
            (IsOuterRing(boundary, r) ? 0.5 : -0.5) * std::abs(DoubleSignedArea(boundary.Rings[r]));
    return area;
}

namespace {
struct TSide {
    size_t Ring, Index; // the side from corner Index to the next of ring Ring
    TPlanPoint P, Q;
    double MinX() const { return std::min(P.X, Q.X); }
    double MaxX() const { return std::max(P.X, Q.X); }
};

// Which side of the line p to q r lies: 1 left, -1 right, 0 on it.
int Side(const TPlanPoint& p, const TPlanPoint& q, const TPlanPoint& r) {
    const double turn = (q.X - p.X) * (r.Y - p.Y) - (q.Y - p.Y) * (r.X - p.X);
    return turn > 0 ? 1 : turn < 0 ? -1 : 0;
}

bool Between(const TPlanPoint& p, const TPlanPoint& q, const TPlanPoint& r) {
    return std::min(p.X, q.X) <= r.X && r.X <= std::max(p.X, q.X) && std::min(p.Y, q.Y) <= r.Y &&
           r.Y <= std::max(p.Y, q.Y);
}

// Whether two sides meet anywhere but at the corner that adjacent sides of a ring share.
bool SidesMeet(const TSide& a, const TSide& b, size_t ringSize, TPlanPoint& where) {
    // The corner adjacent sides share, which they may both hold.
    const TPlanPoint* shared = nullptr;
    if (a.Ring == b.Ring && (a.Index + 1) % ringSize == b.Index)
        shared = &a.Q;
    else if (a.Ring == b.Ring && (b.Index + 1) % ringSize == a.Index)
        shared = &a.P;
    const int d1 = Side(a.P, a.Q, b.P), d2 = Side(a.P, a.Q, b.Q);
    const int d3 = Side(b.P, b.Q, a.P), d4 = Side(b.P, b.Q, a.Q);
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        const double t = ((b.P.X - a.P.X) * (b.Q.Y - b.P.Y) - (b.P.Y - a.P.Y) * (b.Q.X - b.P.X)) /
                         ((a.Q.X - a.P.X) * (b.Q.Y - b.P.Y) - (a.Q.Y - a.P.Y) * (b.Q.X - b.P.X));
        where = {a.P.X + t * (a.Q.X - a.P.X), a.P.Y + t * (a.Q.Y - a.P.Y)};
        return true;
    }
    if (a.Ring != b.Ring)
        return false; // rings may touch at a point; whether one lies in another is asked apart
    // A corner on a side that is not its own: the ring touches or runs back along itself.
    const std::pair<const TPlanPoint*, const TSide*> touches[] = {
        {&b.P, &a}, {&b.Q, &a}, {&a.P, &b}, {&a.Q, &b}};
    const int sides[] = {d1, d2, d3, d4};
    for (int k = 0; k < 4; ++k) {
        const auto [corner, side] = touches[k];
        if (sides[k] == 0 && Between(side->P, side->Q, *corner) &&
            !(shared && *corner == *shared)) {
            where = *corner;
            return true;
        }
    }
    return false;
}

// Whether the ray from p towards larger x crosses the side a-b: an odd count of crossings puts
// p inside a ring.
bool RayCrosses(const TPlanPoint& a, const TPlanPoint& b, const TPlanPoint& p) {
    return (a.Y > p.Y) != (b.Y > p.Y) && p.X < (b.X - a.X) * (p.Y - a.Y) / (b.Y - a.Y) + a.X;
}

// Whether p lies inside the ring; none when it lies on the ring.
std::optional<bool> RingHolds(const std::vector<TPlanPoint>& ring, const TPlanPoint& p) {
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        if (Side(ring[j], ring[i], p) == 0 && Between(ring[j], ring[i], p))
            return std::nullopt;
        inside = inside != RayCrosses(ring[i], ring[j], p);
    }
    return inside;
}

// Whether one ring lies in another whose sides it does not cross: as its first corner off the
// other does (a ring may touch another at corners).
bool RingInside(const std::vector<TPlanPoint>& ring, const std::vector<TPlanPoint>& other,
                TPlanPoint& corner) {
    for (const TPlanPoint& p : ring)
        if (const auto holds = RingHolds(other, p)) {
            corner = p;
            return *holds;
        }
    corner = ring[0];
    return true; // every corner on the other ring
}

// An area's rings: Outer, then its holes up to End.
struct TArea {
    size_t Outer, End;
};

std::vector<TArea> Areas(const TBoundary& boundary) {
    std::vector<TArea> areas;
    for (size_t r = 0; r < boundary.Rings.size(); ++r)
        if (IsOuterRing(boundary, r)) {
            if (!areas.empty())
                areas.back().End = r;
            areas.push_back({r, boundary.Rings.size()});
        }
    return areas;
}

std::string PlaceText(const TPlanPoint& p) {
    char text[80];
    std::snprintf(text, sizeof text, "(%.10g, %.10g)", p.X, p.Y);
    return text;
}

// The first place where sides of the rings cross, a ring touches itself, or a hole leaves the
// outer ring or lies in another hole; empty when there is none. The sides are swept by their
// least easting, so that only sides whose spans overlap are compared.
std::string CrossingProblem(const TBoundary& boundary) {
    std::vector<TSide> sides;
    for (size_t r = 0; r < boundary.Rings.size(); ++r) {
        const auto& ring = boundary.Rings[r];
        for (size_t i = 0; i < ring.size(); ++i)
            if (!(ring[i] == ring[(i + 1) % ring.size()]))
                sides.push_back({r, i, ring[i], ring[(i + 1) % ring.size()]});
    }
    std::stable_sort(sides.begin(), sides.end(),
                     [](const TSide& a, const TSide& b) { return a.MinX() < b.MinX(); });
    for (size_t i = 0; i < sides.size(); ++i)
        for (size_t j = i + 1; j < sides.size() && sides[j].MinX() <= sides[i].MaxX(); ++j) {
            TPlanPoint where;
            if (SidesMeet(sides[i], sides[j], boundary.Rings[sides[i].Ring].size(), where))
                return sides[i].Ring == sides[j].Ring
                           ? "the polygon crosses itself at " + PlaceText(where)
                           : "the polygon's rings cross at " + PlaceText(where);
        }
    // No sides cross: a ring lies wholly inside or outside another.
    const std::vector<TArea> areas = Areas(boundary);
    for (const TArea& area : areas) {
        const auto& outer = boundary.Rings[area.Outer];
        for (size_t r = area.Outer + 1; r < area.End; ++r) {
            TPlanPoint corner;
            if (!RingInside(boundary.Rings[r], outer, corner))
                return "a hole of the polygon lies outside its outer ring, at " + PlaceText(corner);
            for (size_t other = area.Outer + 1; other < area.End; ++other)
                if (other != r && RingInside(boundary.Rings[r], boundary.Rings[other], corner))
                    return "holes of the polygon overlap, at " + PlaceText(corner);
        }
    }
    // An area's outer ring inside another area, and not in one of its holes, overlaps it.
    for (const TArea& area : areas)
        for (const TArea& other : areas) {
            TPlanPoint corner;
            if (&area == &other ||
                !RingInside(boundary.Rings[area.Outer], boundary.Rings[other.Outer], corner))
                continue;
            bool inHole = false;
            for (size_t hole = other.Outer + 1; hole < other.End && !inHole; ++hole)
                inHole = RingInside(boundary.Rings[area.Outer], boundary.Rings[hole], corner);
            if (!inHole)
                return "areas of the polygon overlap, at " + PlaceText(corner);
        }
    return {};
}
} // namespace

bool BoundaryHolds(const TBoundary& boundary, const TPlanPoint& p) {
    bool inside = false;
    for (const auto& ring : boundary.Rings)
        for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
            inside = inside != RayCrosses(ring[i], ring[j], p);
    return inside;
}

std::string BoundaryProblem(const TBoundary& boundary) {
    if (boundary.Rings.empty())
        return "the polygon has no ring";
    for (const std::size_t start : boundary.AreaStarts)
        if (start == 0 || start >= boundary.Rings.size())
            return "an area of the polygon has no ring";
    for (const auto& ring : boundary.Rings) {
        for (const TPlanPoint& p : ring)
            if (!std::isfinite(p.X) || !std::isfinite(p.Y))
                return "a corner of the polygon is not a finite number";
        if (ring.size() < 3)
            return "a ring of the polygon has fewer than three corners";
    }
    if (std::string crossing = CrossingProblem(boundary); !crossing.empty())
        return crossing;
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
        const int ringSign = (IsOuterRing(boundary, r) ? 1 : -1) * (area > 0 ? 1 : -1);
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
