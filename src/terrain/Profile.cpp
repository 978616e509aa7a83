#include "Profile.h"
#include "model/TriangleIndex.h"

#include <algorithm>
#include <cmath>

namespace {
// A place along a segment as the fraction Num / Den, kept apart so that the place's
// coordinates can be computed as a weighted mean: exact wherever the answer is a double.
struct TAlong {
    double Num = 0, Den = 1;
    double Value() const { return Num / Den; }
    bool operator<(const TAlong& other) const { return Value() < other.Value(); }
    bool operator==(const TAlong& other) const { return Value() == other.Value(); }
    // The coordinate at this place between a and b.
    double Between(double a, double b) const {
        const double mean = (a * (Den - Num) + b * Num) / Den;
        return std::isfinite(mean) ? mean : a + Value() * (b - a);
    }
};

struct TStretch {
    TAlong From, To; // along the segment, 0..1
    int32_t Position;
};

bool Finite(const TTriVertex* v) {
    return v && std::isfinite(v->Easting) && std::isfinite(v->Northing);
}

// The part of the segment p to q inside the triangle, as parameters. Each side's test is
// computed with its corners in one fixed order, so the two triangles of a side find the very
// same crossing and the profile has neither slivers nor gaps between them.
bool InsideStretch(const TTriangle& t, TPlanPoint p, TPlanPoint q, TAlong& from, TAlong& to) {
    const TTriVertex* v[3] = {t.Vertex(1), t.Vertex(2), t.Vertex(3)};
    if (!Finite(v[0]) || !Finite(v[1]) || !Finite(v[2]))
        return false;
    from = {0, 1};
    to = {1, 1};
    for (int i = 0; i < 3; ++i) {
        const TTriVertex* a = v[i];
        const TTriVertex* b = v[(i + 1) % 3];
        const TTriVertex* opposite = v[(i + 2) % 3];
        if (std::tie(b->Easting, b->Northing) < std::tie(a->Easting, a->Northing))
            std::swap(a, b);
        auto side = [&](double x, double y) {
            return (b->Easting - a->Easting) * (y - a->Northing) -
                   (b->Northing - a->Northing) * (x - a->Easting);
        };
        const double inward = side(opposite->Easting, opposite->Northing);
        if (inward == 0)
            return false; // no interior
        const double sign = inward > 0 ? 1 : -1;
        const double fp = sign * side(p.X, p.Y), fq = sign * side(q.X, q.Y);
        if (fp < 0 && fq < 0)
            return false;
        if (fp >= 0 && fq >= 0)
            continue;
        const TAlong crossing{fp, fp - fq};
        if (fp < 0)
            from = std::max(from, crossing);
        else
            to = std::min(to, crossing);
    }
    return from < to;
}

// The breakpoints of one segment, the corner at its end left out.
void SegmentProfile(const TTriangleMesh& mesh, TPlanPoint p, TPlanPoint q, double startDistance,
                    std::vector<TProfilePoint>& out) {
    std::vector<int32_t> candidates;
    mesh.Index().CandidatesAlongSegment(p.X, p.Y, q.X, q.Y, candidates);
    std::vector<TStretch> stretches;
    std::vector<TAlong> breaks{{0, 1}, {1, 1}};
    for (int32_t position : candidates) {
        TAlong from, to;
        if (InsideStretch(*mesh.Triangles().TriangleAt(position), p, q, from, to)) {
            stretches.push_back({from, to, position});
            breaks.push_back(from);
            breaks.push_back(to);
        }
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    std::sort(stretches.begin(), stretches.end(),
              [](const TStretch& a, const TStretch& b) { return a.From < b.From; });

    size_t next = 0;
    std::vector<const TStretch*> active;
    const TTriangle* before = nullptr;
    for (size_t i = 0; i + 1 < breaks.size(); ++i) {
        const TAlong from = breaks[i], to = breaks[i + 1];
        while (next < stretches.size() && !(from < stretches[next].From))
            active.push_back(&stretches[next++]);
        std::erase_if(active, [&](const TStretch* s) { return s->To < to; });
        const TStretch* first = nullptr;
        for (const TStretch* s : active)
            if (!first || s->Position < first->Position)
                first = s;
        TProfilePoint point;
        // The distance from the segment's start, not summed along it: a point that lies
        // exactly at a round distance is given that distance.
        point.Easting = from.Between(p.X, q.X);
        point.Northing = from.Between(p.Y, q.Y);
        point.Distance = startDistance + std::hypot(point.Easting - p.X, point.Northing - p.Y);
        point.Triangle = first ? mesh.Triangles().TriangleAt(first->Position) : nullptr;
        const TTriangle* surface = point.Triangle ? point.Triangle : before;
        point.Value = surface ? PlaneValue(*surface, point.Easting, point.Northing) : NAN;
        out.push_back(point);
        before = point.Triangle;
    }
}
} // namespace

double PlaneValue(const TTriangle& t, double x, double y) {
    const TTriVertex &a = *t.Vertex(1), &b = *t.Vertex(2), &c = *t.Vertex(3);
    const double bx = b.Easting - a.Easting, by = b.Northing - a.Northing;
    const double cx = c.Easting - a.Easting, cy = c.Northing - a.Northing;
    const double d = bx * cy - cx * by;
    if (d == 0)
        return NAN;
    const double px = x - a.Easting, py = y - a.Northing;
    const double wb = (px * cy - cx * py) / d, wc = (bx * py - px * by) / d;
    return a.Value + wb * (b.Value - a.Value) + wc * (c.Value - a.Value);
}

double LineLength(const std::vector<TPlanPoint>& line) {
    double length = 0;
    for (size_t i = 1; i < line.size(); ++i)
        length += std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
    return length;
}

QString ProfileLineProblem(const std::vector<TPlanPoint>& line) {
    const double length = LineLength(line);
    if (!std::isfinite(length))
        return "the line is too long to measure";
    if (!(length > 0))
        return "the line has no length";
    return {};
}

std::vector<TProfilePoint> ComputeProfile(const TTriangleMesh& mesh,
                                          const std::vector<TPlanPoint>& line) {
    std::vector<TProfilePoint> profile;
    double distance = 0;
    const TPlanPoint* last = nullptr;
    for (size_t i = 1; i < line.size(); ++i) {
        const TPlanPoint p = line[i - 1], q = line[i];
        const double length = std::hypot(q.X - p.X, q.Y - p.Y);
        if (!(length > 0) || !std::isfinite(length))
            continue;
        SegmentProfile(mesh, p, q, distance, profile);
        distance += length;
        last = &line[i];
    }
    if (!last)
        return profile;
    // The end of the line, on the surface of the last stretch.
    TProfilePoint end;
    end.Distance = distance;
    end.Easting = last->X;
    end.Northing = last->Y;
    end.Triangle = profile.back().Triangle;
    end.Value = end.Triangle ? PlaneValue(*end.Triangle, end.Easting, end.Northing) : NAN;
    profile.push_back(end);
    return profile;
}

TProfilePoint ProfileAt(const std::vector<TProfilePoint>& profile, double distance) {
    if (profile.empty())
        return {distance, NAN, NAN, NAN, nullptr};
    distance = std::clamp(distance, profile.front().Distance, profile.back().Distance);
    // The last breakpoint at or before the distance starts the stretch.
    auto after = std::upper_bound(profile.begin(), profile.end(), distance,
                                  [](double d, const TProfilePoint& p) { return d < p.Distance; });
    const TProfilePoint& start = *std::prev(after);
    TProfilePoint at = start;
    at.Distance = distance;
    if (after != profile.end() && after->Distance > start.Distance) {
        const double t = (distance - start.Distance) / (after->Distance - start.Distance);
        at.Easting = start.Easting + t * (after->Easting - start.Easting);
        at.Northing = start.Northing + t * (after->Northing - start.Northing);
    }
    at.Value = start.Triangle ? PlaneValue(*start.Triangle, at.Easting, at.Northing) : NAN;
    return at;
}

std::vector<double> RoundTicks(double low, double high, int count) {
    std::vector<double> ticks;
    const double range = high - low;
    if (!(range > 0) || !std::isfinite(range) || count < 1)
        return ticks;
    const double rough = range / count;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    double step = decade;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= rough) {
            step = m * decade;
            break;
        }
    for (double k = std::ceil(low / step); k * step <= high + step * 1e-9; ++k)
        ticks.push_back(k * step == 0 ? 0 : k * step);
    return ticks;
}
