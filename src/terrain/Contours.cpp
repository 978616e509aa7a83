#include "Contours.h"
#include "platform/Exceptions.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

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

std::pair<double, double> FiniteValueRange(const TTriVertices& vertices) {
    double low = INFINITY, high = -INFINITY;
    for (int i = 0; i < vertices.Count(); ++i)
        if (const TTriVertex* v = vertices.VertexAt(i); v && std::isfinite(v->Value)) {
            low = std::min(low, v->Value);
            high = std::max(high, v->Value);
        }
    return low <= high ? std::pair{low, high} : std::pair{0.0, 0.0};
}

namespace {
// Beyond this a double no longer tells consecutive whole numbers apart.
constexpr double ExactWholeNumbers = 9007199254740992.0; // 2^53

// The first and last k with base + k * interval in low..high, as doubles: either may be
// infinite or NaN for settings that no count of levels can serve.
std::pair<double, double> LevelRange(const TContourSettings& s, double low, double high) {
    return {std::ceil((low - s.Base) / s.Interval), std::floor((high - s.Base) / s.Interval)};
}

double LevelCount(double first, double last) {
    return last >= first ? last - first + 1 : 0;
}

// Whether k counts exactly and every level from first to last differs from the one before.
bool LevelsApart(const TContourSettings& s, double first, double last) {
    if (!(std::abs(first) < ExactWholeNumbers && std::abs(last) < ExactWholeNumbers))
        return false;
    for (double k = first + 1; k <= last; ++k)
        if (!(s.Base + k * s.Interval > s.Base + (k - 1) * s.Interval))
            return false;
    return true;
}
} // namespace

double ContourLevelCount(const TContourSettings& settings, double minValue, double maxValue) {
    const auto [first, last] = LevelRange(settings, minValue, maxValue);
    const double count = LevelCount(first, last);
    return std::isnan(count) ? INFINITY : count;
}

QString ContourSettingsProblem(const TContourSettings& settings, double minValue, double maxValue) {
    if (!std::isfinite(settings.Interval) || !(settings.Interval > 0))
        return "The interval must be a number greater than 0.";
    if (!std::isfinite(settings.Base))
        return "The base level must be a number.";
    if (settings.IndexEvery < 0)
        return "Index contours need a count of 0 (none) or more.";
    if (!std::isfinite(minValue) || !std::isfinite(maxValue))
        return "The model's elevations are not finite numbers.";
    const auto [first, last] = LevelRange(settings, minValue, maxValue);
    if (!(LevelCount(first, last) <= MaxContourLevels))
        return QString("This interval gives more than %1 levels over the model's range; choose "
                       "a larger one.")
            .arg(MaxContourLevels);
    if (!LevelsApart(settings, first, last))
        return "These levels are too close together for their height to tell them apart; choose "
               "a larger interval or a base level nearer the model's elevations.";
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
// A straight piece of one level, its ends in a fixed order so that the same piece from two
// triangles is the same record.
struct TSegment {
    int64_t Level; // k of base + k * interval
    TPlanPoint A, B;
};

// Adding +0 turns -0 into +0, so that equal positions have equal bits for the hash.
TPlanPoint Point(double x, double y) {
    return {x + 0.0, y + 0.0};
}

// Where the level crosses the side from a vertex below it to one above it. The order
// below-then-above is the same in both triangles of a side, so both compute the same point.
TPlanPoint Crossing(const TTriVertex& below, const TTriVertex& above, double level) {
    double t = (level - below.Value) / (above.Value - below.Value);
    if (!std::isfinite(t)) // the differences overflowed: the same ratio at half the size
        t = (level / 2 - below.Value / 2) / (above.Value / 2 - below.Value / 2);
    auto along = [t](double from, double to) {
        const double at = from + t * (to - from);
        return std::isfinite(at) ? at : from * (1 - t) + to * t;
    };
    return Point(along(below.Easting, above.Easting), along(below.Northing, above.Northing));
}

bool Usable(const TTriVertex* v) {
    return v && std::isfinite(v->Easting) && std::isfinite(v->Northing) && std::isfinite(v->Value);
}

bool Before(const TPlanPoint& a, const TPlanPoint& b) {
    return a.X < b.X || (a.X == b.X && a.Y < b.Y);
}

void AddPiece(int64_t k, TPlanPoint a, TPlanPoint b, std::vector<TSegment>& out) {
    if (a == b)
        return; // the level only touches the triangle, or the side has no length
    if (Before(b, a))
        std::swap(a, b);
    out.push_back({k, a, b});
}

// Where one triangle meets one level: the exact level set of its plane inside it. A side on the
// level is given by every triangle along it that does not lie wholly on the level; joining keeps
// it once. A triangle wholly on the level gives nothing: its outline comes from the ground
// around it.
void LevelPiece(const TTriVertex* const v[3], int64_t k, double level, std::vector<TSegment>& out) {
    int side[3]; // -1 below, 0 on, 1 above the level
    int on = 0;
    for (int i = 0; i < 3; ++i) {
        side[i] = v[i]->Value < level ? -1 : v[i]->Value > level ? 1 : 0;
        on += side[i] == 0;
    }
    if (on == 3)
        return;
    TPlanPoint ends[2];
    int found = 0;
    for (int i = 0; i < 3; ++i) {
        const TTriVertex& a = *v[i];
        const TTriVertex& b = *v[(i + 1) % 3];
        const int sa = side[i], sb = side[(i + 1) % 3];
        if (sa == 0)
            ends[found++] = Point(a.Easting, a.Northing);
        else if (sa * sb < 0)
            ends[found++] = sa < 0 ? Crossing(a, b, level) : Crossing(b, a, level);
    }
    // One point (a corner touching the level) is no piece; two points are one.
    if (found == 2)
        AddPiece(k, ends[0], ends[1], out);
}

// The pieces of one triangle, each level it spans.
void TriangleSegments(const TTriangle& t, const TContourSettings& s, std::vector<TSegment>& out) {
    const TTriVertex* const v[3] = {t.Vertex(1), t.Vertex(2), t.Vertex(3)};
    if (!Usable(v[0]) || !Usable(v[1]) || !Usable(v[2]))
        return;
    const double low = std::min({v[0]->Value, v[1]->Value, v[2]->Value});
    const double high = std::max({v[0]->Value, v[1]->Value, v[2]->Value});
    // The settings were checked over the model's range; this bounds the work whatever the
    // caller checked, in constant time a triangle.
    const auto [first, last] = LevelRange(s, low, high);
    if (!(LevelCount(first, last) <= MaxContourLevels) ||
        !(std::abs(first) < ExactWholeNumbers && std::abs(last) < ExactWholeNumbers))
        throw Exception(ContourSettingsProblem(s, low, high).toStdString());
    for (int64_t k = int64_t(first); k <= int64_t(last); ++k)
        LevelPiece(v, k, s.Base + double(k) * s.Interval, out);
}

uint64_t Mix(uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    return x;
}

// A triangle with the same corners as one met shortly before adds only pieces already there,
// each level over; a damaged file may list one triangle thousands of times. A small table of
// the corner sets met last passes over such repeats before they cost a piece each.
class TRecentCorners {
public:
    bool Seen(const TTriangle& t) {
        std::array<const TTriVertex*, 3> corners = {t.Vertex(1), t.Vertex(2), t.Vertex(3)};
        std::sort(corners.begin(), corners.end());
        uint64_t hash = 0;
        for (const TTriVertex* v : corners)
            hash = Mix(hash ^ reinterpret_cast<uintptr_t>(v));
        auto& slot = FCorners[hash % FCorners.size()];
        if (slot == corners)
            return true;
        slot = corners;
        return false;
    }

private:
    std::array<std::array<const TTriVertex*, 3>, 256> FCorners{};
};

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

// An open-addressing table from keys to small numbers given in order of first sight.
template <class Key, class Hash> class TNumbering {
public:
    explicit TNumbering(size_t expected) {
        size_t size = 16;
        while (size < expected * 2)
            size *= 2;
        FSlots.assign(size, -1);
    }
    // The key's number, and whether it was new.
    std::pair<int64_t, bool> Number(const Key& key) {
        const size_t mask = FSlots.size() - 1;
        for (size_t slot = Hash()(key) & mask;; slot = (slot + 1) & mask) {
            if (FSlots[slot] < 0) {
                FSlots[slot] = int64_t(FKeys.size());
                FKeys.push_back(key);
                return {FSlots[slot], true};
            }
            if (FKeys[size_t(FSlots[slot])] == key)
                return {FSlots[slot], false};
        }
    }
    size_t Count() const { return FKeys.size(); }
    const Key& operator[](size_t number) const { return FKeys[number]; }

private:
    std::vector<int64_t> FSlots;
    std::vector<Key> FKeys;
};

struct TPointHash {
    size_t operator()(const TPlanPoint& p) const {
        uint64_t x, y;
        std::memcpy(&x, &p.X, 8);
        std::memcpy(&y, &p.Y, 8);
        return size_t(Mix(x ^ Mix(y)));
    }
};
struct TPairHash {
    size_t operator()(const std::pair<int64_t, int64_t>& ends) const {
        return size_t(Mix(uint64_t(ends.first) * 0x9E3779B97F4A7C15ull ^ uint64_t(ends.second)));
    }
};

// One level's pieces as a graph: the distinct end points, the distinct pieces between them,
// and for every point the pieces that meet there.
class TLevelGraph {
public:
    TLevelGraph(const std::vector<TSegment>& segments, size_t first, size_t last)
        : FPoints(2 * (last - first)), FPieces(last - first) {
        for (size_t i = first; i < last; ++i) {
            const int64_t a = FPoints.Number(segments[i].A).first;
            const int64_t b = FPoints.Number(segments[i].B).first;
            FPieces.Number({a, b}); // an identical piece is kept once
        }
        FStart.assign(FPoints.Count() + 1, 0);
        for (size_t p = 0; p < FPieces.Count(); ++p) {
            ++FStart[size_t(FPieces[p].first) + 1];
            ++FStart[size_t(FPieces[p].second) + 1];
        }
        for (size_t i = 1; i < FStart.size(); ++i)
            FStart[i] += FStart[i - 1];
        FMeeting.resize(FStart.back());
        std::vector<size_t> next(FStart.begin(), FStart.end() - 1);
        for (size_t p = 0; p < FPieces.Count(); ++p) {
            FMeeting[next[size_t(FPieces[p].first)]++] = int64_t(p);
            FMeeting[next[size_t(FPieces[p].second)]++] = int64_t(p);
        }
    }
    size_t PieceCount() const { return FPieces.Count(); }
    int64_t End(size_t piece, int which) const {
        return which == 0 ? FPieces[piece].first : FPieces[piece].second;
    }
    int64_t OtherEnd(size_t piece, int64_t point) const {
        return End(piece, 0) == point ? End(piece, 1) : End(piece, 0);
    }
    const TPlanPoint& Position(int64_t point) const { return FPoints[size_t(point)]; }
    // A line runs on through a point where exactly two pieces meet.
    bool PassesThrough(int64_t point) const {
        return FStart[size_t(point) + 1] - FStart[size_t(point)] == 2;
    }
    // At a point the line passes through, the piece other than the one given.
    size_t OtherPiece(int64_t point, size_t piece) const {
        const int64_t* two = &FMeeting[FStart[size_t(point)]];
        return size_t(two[0] == int64_t(piece) ? two[1] : two[0]);
    }

private:
    TNumbering<TPlanPoint, TPointHash> FPoints;
    TNumbering<std::pair<int64_t, int64_t>, TPairHash> FPieces;
    std::vector<size_t> FStart;
    std::vector<int64_t> FMeeting;
};

// Follows the line from a point across the piece given, on through every point where only two
// pieces meet, until it ends or comes back to where it began.
TContourLine FollowLine(const TLevelGraph& graph, int64_t from, size_t piece,
                        std::vector<bool>& used, double level, bool index) {
    TContourLine line{level, index, false, {graph.Position(from)}};
    const int64_t start = from;
    for (;;) {
        used[piece] = true;
        const int64_t to = graph.OtherEnd(piece, from);
        line.Points.push_back(graph.Position(to));
        if (to == start) {
            line.Closed = true;
            return line;
        }
        if (!graph.PassesThrough(to))
            return line;
        piece = graph.OtherPiece(to, piece);
        from = to;
    }
}

// Joins one level's pieces (segments first..last) into polylines: first the lines that end
// (on the mesh's boundary, or where more than two pieces meet), then the closed ones.
void JoinLevel(const std::vector<TSegment>& segments, size_t first, size_t last, double level,
               bool index, std::vector<TContourLine>& lines) {
    const TLevelGraph graph(segments, first, last);
    std::vector<bool> used(graph.PieceCount(), false);
    for (size_t piece = 0; piece < graph.PieceCount(); ++piece)
        for (int which = 0; which < 2 && !used[piece]; ++which)
            if (!graph.PassesThrough(graph.End(piece, which)))
                lines.push_back(
                    FollowLine(graph, graph.End(piece, which), piece, used, level, index));
    for (size_t piece = 0; piece < graph.PieceCount(); ++piece)
        if (!used[piece])
            lines.push_back(FollowLine(graph, graph.End(piece, 0), piece, used, level, index));
}
} // namespace

std::vector<TContourLine> JoinPieces(const std::vector<std::pair<TPlanPoint, TPlanPoint>>& pieces) {
    std::vector<TSegment> segments;
    segments.reserve(pieces.size());
    for (const auto& [a, b] : pieces)
        segments.push_back({0, Point(a.X, a.Y), Point(b.X, b.Y)});
    std::vector<TContourLine> lines;
    JoinLevel(segments, 0, segments.size(), 0, false, lines);
    return lines;
}

std::vector<TContourLine> TraceContours(const TTriangles& triangles,
                                        const TContourSettings& settings) {
    std::vector<TSegment> segments;
    TRecentCorners recent;
    for (int i = 0; i < triangles.Count(); ++i)
        if (const TTriangle* t = triangles.TriangleAt(i); t && !recent.Seen(*t))
            TriangleSegments(*t, settings, segments);
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
