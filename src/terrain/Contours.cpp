#include "Contours.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <set>
#include <tuple>

double DefaultContourInterval(double minValue, double maxValue) {
    const double range = maxValue - minValue;
    if (!(range > 0) || !std::isfinite(range))
        return 1;
    // The largest round interval that still gives at least 10 levels gives at most 25.
    const double decade = std::pow(10.0, std::floor(std::log10(range / 10)));
    for (double step : {5.0, 2.5, 2.0, 1.0, 0.5})
        if (range / (step * decade) >= 10)
            return step * decade;
    return 0.5 * decade;
}

namespace {
// The first and last k with base + k * interval in minValue..maxValue.
std::pair<double, double> LevelRange(const TContourSettings& s, double minValue, double maxValue) {
    return {std::ceil((minValue - s.Base) / s.Interval),
            std::floor((maxValue - s.Base) / s.Interval)};
}
} // namespace

double ContourLevelCount(const TContourSettings& settings, double minValue, double maxValue) {
    const auto [first, last] = LevelRange(settings, minValue, maxValue);
    return last >= first ? last - first + 1 : 0;
}

QString ContourSettingsProblem(const TContourSettings& settings, double minValue, double maxValue) {
    if (!std::isfinite(settings.Interval) || !(settings.Interval > 0))
        return "The interval must be a number greater than 0.";
    if (!std::isfinite(settings.Base))
        return "The base level must be a number.";
    if (settings.IndexEvery < 0)
        return "Index contours need a count of 0 (none) or more.";
    if (std::isfinite(minValue) && std::isfinite(maxValue) &&
        ContourLevelCount(settings, minValue, maxValue) > MaxContourLevels)
        return QString("This interval gives more than %1 levels over the model's range; choose "
                       "a larger one.")
            .arg(MaxContourLevels);
    return {};
}

namespace {
std::optional<double> NumberFromText(const QString& text) {
    bool ok = false;
    double value = QLocale::system().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? std::optional(value) : std::nullopt;
}
} // namespace

std::variant<TContourSettings, QString> ContourSettingsFromText(const QString& interval,
                                                                const QString& base, int indexEvery,
                                                                bool labels, double minValue,
                                                                double maxValue) {
    const auto parsedInterval = NumberFromText(interval);
    if (!parsedInterval)
        return QString("The interval must be a number greater than 0.");
    const auto parsedBase = base.trimmed().isEmpty() ? std::optional(0.0) : NumberFromText(base);
    if (!parsedBase)
        return QString("The base level must be a number.");
    TContourSettings settings{*parsedInterval, *parsedBase, indexEvery, labels};
    if (QString problem = ContourSettingsProblem(settings, minValue, maxValue); !problem.isEmpty())
        return problem;
    return settings;
}

namespace {
struct TSegment {
    int64_t Level; // k of base + k * interval
    TPlanPoint A, B;
};

// Where the level crosses the side from a vertex below it to one at or above it. The order
// below-then-above is the same in both triangles of a side, so both compute the same point.
TPlanPoint Crossing(const TTriVertex& below, const TTriVertex& above, double level) {
    if (above.Value == level)
        return {above.Easting, above.Northing};
    const double t = (level - below.Value) / (above.Value - below.Value);
    return {below.Easting + t * (above.Easting - below.Easting),
            below.Northing + t * (above.Northing - below.Northing)};
}

bool Usable(const TTriVertex* v) {
    return v && std::isfinite(v->Easting) && std::isfinite(v->Northing) && std::isfinite(v->Value);
}

// The pieces of one triangle, each level it spans.
void TriangleSegments(const TTriangle& t, const TContourSettings& s, std::vector<TSegment>& out,
                      std::set<std::tuple<double, double, double, double>>& sidesTaken) {
    const TTriVertex* v[3] = {t.Vertex(1), t.Vertex(2), t.Vertex(3)};
    if (!Usable(v[0]) || !Usable(v[1]) || !Usable(v[2]))
        return;
    const double low = std::min({v[0]->Value, v[1]->Value, v[2]->Value});
    const double high = std::max({v[0]->Value, v[1]->Value, v[2]->Value});
    const double firstK = std::ceil((low - s.Base) / s.Interval);
    const double lastK = std::floor((high - s.Base) / s.Interval);
    for (double k = firstK; k <= lastK; ++k) {
        const double level = s.Base + k * s.Interval;
        const bool above[3] = {v[0]->Value >= level, v[1]->Value >= level, v[2]->Value >= level};
        const int count = above[0] + above[1] + above[2];
        if (count == 0 || count == 3)
            continue;
        TPlanPoint ends[2];
        int found = 0;
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            if (above[i] != above[j])
                ends[found++] =
                    above[i] ? Crossing(*v[j], *v[i], level) : Crossing(*v[i], *v[j], level);
        }
        if (ends[0] == ends[1])
            continue; // the level only touches a vertex
        // Both ends on corners: the piece is a side, which the triangle across it may give too.
        auto isCorner = [&](const TPlanPoint& p) {
            for (const TTriVertex* corner : v)
                if (corner->Value == level && p == TPlanPoint{corner->Easting, corner->Northing})
                    return true;
            return false;
        };
        if (isCorner(ends[0]) && isCorner(ends[1])) {
            const auto [first, second] = std::minmax(ends[0], ends[1], [](auto& a, auto& b) {
                return std::tie(a.X, a.Y) < std::tie(b.X, b.Y);
            });
            if (!sidesTaken.insert({first.X, first.Y, second.X, second.Y}).second)
                continue;
        }
        out.push_back({static_cast<int64_t>(k), ends[0], ends[1]});
    }
}

// Puts the pieces in order of level, keeping the triangle order within a level: a counting
// sort, as there are at most MaxContourLevels levels.
void SortByLevel(std::vector<TSegment>& segments) {
    if (segments.empty())
        return;
    int64_t low = segments.front().Level, high = low;
    for (const TSegment& s : segments) {
        low = std::min(low, s.Level);
        high = std::max(high, s.Level);
    }
    std::vector<size_t> start(size_t(high - low) + 2, 0);
    for (const TSegment& s : segments)
        ++start[size_t(s.Level - low) + 1];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    std::vector<TSegment> sorted(segments.size());
    for (const TSegment& s : segments)
        sorted[start[size_t(s.Level - low)]++] = s;
    segments.swap(sorted);
}

// End points of one level's pieces, by exact position, with the pieces that meet there.
class TEndPointTable {
public:
    explicit TEndPointTable(const std::vector<TSegment>& segments, size_t first, size_t last)
        : FSegments(segments), FFirst(first) {
        const size_t ends = (last - first) * 2;
        size_t size = 16;
        while (size < ends * 2)
            size *= 2;
        FMask = size - 1;
        FSlots.assign(size, -1);
        FNext.assign(ends, -1);
        for (size_t e = 0; e < ends; ++e) {
            const size_t slot = Find(Point(int64_t(e)));
            if (FSlots[slot] >= 0)
                FNext[e] = FSlots[slot];
            FSlots[slot] = int64_t(e);
        }
    }
    const TPlanPoint& Point(int64_t end) const {
        const TSegment& s = FSegments[FFirst + size_t(end / 2)];
        return end % 2 ? s.B : s.A;
    }
    // The first end at the point, then the others through Next.
    int64_t EndsAt(const TPlanPoint& p) const { return FSlots[Find(p)]; }
    int64_t Next(int64_t end) const { return FNext[size_t(end)]; }

private:
    size_t Find(const TPlanPoint& p) const {
        uint64_t x, y;
        std::memcpy(&x, &p.X, 8);
        std::memcpy(&y, &p.Y, 8);
        size_t slot = size_t((x * 0x9E3779B97F4A7C15ull) ^ (y * 0xC2B2AE3D27D4EB4Full)) >> 7;
        for (;; slot = (slot + 1) & FMask) {
            slot &= FMask;
            if (FSlots[slot] < 0 || Point(FSlots[slot]) == p)
                return slot;
        }
    }
    const std::vector<TSegment>& FSegments;
    size_t FFirst;
    size_t FMask = 0;
    std::vector<int64_t> FSlots, FNext;
};

// Joins one level's pieces (segments first..last) into polylines.
void JoinLevel(const std::vector<TSegment>& segments, size_t first, size_t last, double level,
               bool index, std::vector<TContourLine>& lines) {
    const TEndPointTable table(segments, first, last);
    std::vector<bool> used(last - first, false);
    // From the end given, the far end of an unused piece that meets it, marking that piece.
    auto follow = [&](int64_t end) -> int64_t {
        for (int64_t other = table.EndsAt(table.Point(end)); other >= 0;
             other = table.Next(other)) {
            const size_t piece = size_t(other / 2);
            if (!used[piece]) {
                used[piece] = true;
                return other ^ 1;
            }
        }
        return -1;
    };
    for (size_t start = 0; start < used.size(); ++start) {
        if (used[start])
            continue;
        used[start] = true;
        TContourLine line{level, index, false, {}};
        std::vector<TPlanPoint> backward;
        for (int64_t end = int64_t(start) * 2; (end = follow(end)) >= 0;)
            backward.push_back(table.Point(end));
        line.Points.assign(backward.rbegin(), backward.rend());
        line.Points.push_back(table.Point(int64_t(start) * 2));
        line.Points.push_back(table.Point(int64_t(start) * 2 + 1));
        for (int64_t end = int64_t(start) * 2 + 1; (end = follow(end)) >= 0;)
            line.Points.push_back(table.Point(end));
        line.Closed = line.Points.size() > 3 && line.Points.front() == line.Points.back();
        lines.push_back(std::move(line));
    }
}
} // namespace

std::vector<TContourLine> TraceContours(const TTriangles& triangles,
                                        const TContourSettings& settings) {
    std::vector<TSegment> segments;
    std::set<std::tuple<double, double, double, double>> sidesTaken;
    for (int i = 0; i < triangles.Count(); ++i)
        if (const TTriangle* t = triangles.TriangleAt(i))
            TriangleSegments(*t, settings, segments, sidesTaken);
    SortByLevel(segments);
    std::vector<TContourLine> lines;
    for (size_t first = 0; first < segments.size();) {
        size_t last = first;
        while (last < segments.size() && segments[last].Level == segments[first].Level)
            ++last;
        const int64_t k = segments[first].Level;
        const bool index = settings.IndexEvery > 0 && k % settings.IndexEvery == 0;
        JoinLevel(segments, first, last, settings.Base + double(k) * settings.Interval, index,
                  lines);
        first = last;
    }
    return lines;
}
