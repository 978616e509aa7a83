// Contours of surfaces whose level lines are known: planes, a ridge, a pyramid.
#include "terrain/Contours.h"
#include "SurfaceModel.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {
struct TTraced {
    explicit TTraced(const TModelData& data, TContourSettings settings) {
        TMemoryStream stream(WriteModel(data));
        Model.ReadFromStream(stream);
        Lines = TraceContours(Model.Triangles(), settings);
    }
    // Total plan length and number of lines of each level.
    std::map<double, std::pair<double, int>> ByLevel() const {
        std::map<double, std::pair<double, int>> levels;
        for (const TContourLine& line : Lines) {
            auto& [length, count] = levels[line.Level];
            ++count;
            for (size_t i = 1; i < line.Points.size(); ++i)
                length += std::hypot(line.Points[i].X - line.Points[i - 1].X,
                                     line.Points[i].Y - line.Points[i - 1].Y);
        }
        return levels;
    }
    TVandrelTINModel Model;
    std::vector<TContourLine> Lines;
};

TContourSettings Every(double interval, double base = 0, int indexEvery = 5) {
    TContourSettings settings;
    settings.Interval = interval;
    settings.Base = base;
    settings.IndexEvery = indexEvery;
    return settings;
}
} // namespace

TEST(ContoursTest, APlaneGivesStraightParallelLinesWhereTheLevelsLie) {
    // z = x over 0..100: level L is the line x = L from y = 0 to y = 100.
    const TTraced traced(SurfaceModel(10, 10, 10, [](double x, double) { return x; }), Every(7));
    ASSERT_EQ(traced.Lines.size(), 15u) << "0, 7, 14, ..., 98; 0 lies along the low edge";
    for (const TContourLine& line : traced.Lines) {
        EXPECT_FALSE(line.Closed);
        EXPECT_EQ(line.Index, std::fmod(line.Level, 35) == 0) << line.Level;
        double low = 1e9, high = -1e9;
        for (const TPlanPoint& p : line.Points) {
            EXPECT_NEAR(p.X, line.Level, 1e-9);
            low = std::min(low, p.Y);
            high = std::max(high, p.Y);
        }
        EXPECT_DOUBLE_EQ(low, 0);
        EXPECT_DOUBLE_EQ(high, 100);
    }
}

TEST(ContoursTest, ALevelThroughVerticesAndAlongSidesGivesOnePiece) {
    // Levels 10, 20, ... run exactly along the grid's vertical lines.
    const TTraced plane(SurfaceModel(10, 10, 10, [](double x, double) { return x; }), Every(10));
    for (const auto& [level, lengthAndCount] : plane.ByLevel()) {
        EXPECT_DOUBLE_EQ(lengthAndCount.first, 100) << "level " << level << ": no gap, no double";
        EXPECT_EQ(lengthAndCount.second, 1) << level;
    }
    EXPECT_EQ(plane.ByLevel().size(), 11u) << "0 to 100, both edges included";
    // A ridge at exactly 50 along x = 50: the triangles on both sides give that side.
    const TTraced ridge(
        SurfaceModel(10, 10, 10, [](double x, double) { return 50 - std::abs(x - 50); }),
        Every(50));
    const auto levels = ridge.ByLevel();
    ASSERT_EQ(levels.count(50), 1u);
    EXPECT_DOUBLE_EQ(levels.at(50).first, 100) << "once, not twice";
}

TEST(ContoursTest, TheLengthOfALevelOnAPlaneIsTheAnalyticOne) {
    // z = x + 2y: level 150 runs from (100, 25) to (0, 75), length sqrt(100^2 + 50^2).
    const TTraced traced(SurfaceModel(20, 20, 5, [](double x, double y) { return x + 2 * y; }),
                         Every(25, 0));
    const auto levels = traced.ByLevel();
    EXPECT_NEAR(levels.at(150).first, std::hypot(100, 50), 1e-9);
    EXPECT_EQ(levels.at(150).second, 1);
    // Level 50 runs from (50, 0) to (0, 25).
    EXPECT_NEAR(levels.at(50).first, std::hypot(50, 25), 1e-9);
}

TEST(ContoursTest, APyramidGivesOneClosedRingALevel) {
    const TTraced traced(SurfaceModel(10, 10, 10,
                                      [](double x, double y) {
                                          return 100 - std::max(std::abs(x - 50), std::abs(y - 50));
                                      }),
                         Every(10, 5));
    ASSERT_EQ(traced.Lines.size(), 5u) << "55, 65, 75, 85, 95";
    for (const TContourLine& line : traced.Lines) {
        EXPECT_TRUE(line.Closed) << line.Level;
        EXPECT_EQ(line.Points.front(), line.Points.back());
    }
}

TEST(ContoursTest, JoiningNeedsNoNeighbourLinksAndNoSharedVertices) {
    TModelData linked = SurfaceModel(12, 9, 10, [](double x, double y) {
        return std::sin(x / 23) * 40 + std::cos(y / 17) * 30;
    });
    const TTraced expected(linked, Every(5));
    // Every neighbour link gone, and every triangle with corners of its own.
    TModelData loose;
    for (const auto& t : linked.Triangles) {
        TModelData::Triangle copy{{}, {-1, -1, -1}};
        for (int k = 0; k < 3; ++k) {
            loose.Vertices.push_back(linked.Vertices[size_t(t.Vertices[size_t(k)] - 1)]);
            copy.Vertices[size_t(k)] = int32_t(loose.Vertices.size());
        }
        loose.Triangles.push_back(copy);
    }
    const TTraced traced(loose, Every(5));
    EXPECT_EQ(traced.Lines.size(), expected.Lines.size());
    const auto want = expected.ByLevel(), got = traced.ByLevel();
    ASSERT_EQ(want.size(), got.size());
    for (const auto& [level, lengthAndCount] : want) {
        EXPECT_NEAR(got.at(level).first, lengthAndCount.first, 1e-9) << level;
        EXPECT_EQ(got.at(level).second, lengthAndCount.second) << level;
    }
}

TEST(ContoursTest, FlatEmptyAndBrokenMeshesGiveNoLinesOrOnlyFinitePoints) {
    EXPECT_TRUE(
        TTraced(SurfaceModel(4, 4, 10, [](double, double) { return 7; }), Every(1)).Lines.empty());
    EXPECT_TRUE(TTraced(TModelData{}, Every(1)).Lines.empty());
    TModelData odd = SurfaceModel(3, 3, 10, [](double x, double y) { return x + y; });
    odd.Vertices[5].Value = std::nan("");
    odd.Vertices[6].Easting = INFINITY;
    odd.Vertices.push_back({5, 5, 3});
    odd.Vertices.push_back({6, 6, 9});
    odd.Vertices.push_back({7, 7, 1});
    const int32_t n = int32_t(odd.Vertices.size());
    odd.Triangles.push_back({{n - 2, n - 1, n}, {5, 5, 5}}); // collinear, bad links
    odd.Triangles.push_back({{1, 3, 2}, {-1, -1, -1}});      // clockwise, overlapping
    const TTraced traced(odd, Every(1));
    for (const TContourLine& line : traced.Lines)
        for (const TPlanPoint& p : line.Points)
            EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
    EXPECT_FALSE(traced.Lines.empty());
}

TEST(ContoursTest, DefaultIntervalIsRoundAndGivesTenToThirtyLevels) {
    std::mt19937 random(2);
    std::uniform_real_distribution<double> exponent(-3, 5), start(-1000, 1000);
    for (int i = 0; i < 2000; ++i) {
        const double range = std::pow(10.0, exponent(random)), low = start(random);
        const double interval = DefaultContourInterval(low, low + range);
        const double mantissa = interval / std::pow(10.0, std::floor(std::log10(interval) + 1e-12));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 2.5) < 1e-9 || std::abs(mantissa - 5) < 1e-9)
            << interval;
        const double levels = ContourLevelCount(Every(interval), low, low + range);
        EXPECT_GE(levels, 9) << range;
        EXPECT_LE(levels, 30) << range;
    }
    EXPECT_DOUBLE_EQ(DefaultContourInterval(0, 100), 10);
    EXPECT_DOUBLE_EQ(DefaultContourInterval(0, 37), 2.5);
    EXPECT_DOUBLE_EQ(DefaultContourInterval(5, 5), 1) << "no height";
}

TEST(ContoursTest, UnusableSettingsAreNamed) {
    EXPECT_TRUE(ContourSettingsProblem(Every(1), 0, 100).isEmpty());
    for (double bad : {0.0, -2.0, std::nan(""), double(INFINITY)})
        EXPECT_TRUE(ContourSettingsProblem(Every(bad), 0, 100).contains("greater than 0")) << bad;
    EXPECT_TRUE(ContourSettingsProblem(Every(0.02), 0, 100).isEmpty()) << "5,001 levels";
    EXPECT_TRUE(ContourSettingsProblem(Every(0.01), 0, 100).contains("more than 10000 levels"))
        << "10,001 levels";
    EXPECT_TRUE(ContourSettingsProblem(Every(1, std::nan("")), 0, 100).contains("base"));
}

namespace {
// The length of the level set of one level, computed another way: each triangle's plane
// z = a + gx x + gy y cuts the level along a line, clipped here to the triangle by its three
// half-planes. A side on the level is clipped whole by every triangle along it that is not flat,
// so a side with two such triangles is counted twice and taken off once.
double LevelSetLength(const TModelData& data, double level) {
    using TCorner = TModelData::Vertex;
    auto corner = [&](int32_t number) -> const TCorner& {
        return data.Vertices[size_t(number - 1)];
    };
    auto flat = [&](const TModelData::Triangle& t) {
        return corner(t.Vertices[0]).Value == corner(t.Vertices[1]).Value &&
               corner(t.Vertices[1]).Value == corner(t.Vertices[2]).Value;
    };
    double length = 0;
    std::map<std::pair<int32_t, int32_t>, int> sidesOnLevel; // side -> triangles not flat
    for (const auto& t : data.Triangles) {
        if (flat(t))
            continue;
        const TCorner &p = corner(t.Vertices[0]), &q = corner(t.Vertices[1]),
                      &r = corner(t.Vertices[2]);
        for (int i = 0; i < 3; ++i) {
            const int32_t a = t.Vertices[size_t(i)], b = t.Vertices[size_t((i + 1) % 3)];
            if (corner(a).Value == level && corner(b).Value == level)
                ++sidesOnLevel[std::minmax(a, b)];
        }
        // The plane's gradient from the corners: solve for gx, gy.
        const double ux = q.Easting - p.Easting, uy = q.Northing - p.Northing,
                     uz = q.Value - p.Value;
        const double vx = r.Easting - p.Easting, vy = r.Northing - p.Northing,
                     vz = r.Value - p.Value;
        const double det = ux * vy - uy * vx;
        const double gx = (uz * vy - vz * uy) / det, gy = (ux * vz - vx * uz) / det;
        // A point of the level line and its direction.
        const double g2 = gx * gx + gy * gy;
        const double s = (level - p.Value) / g2;
        const double ox = p.Easting + s * gx, oy = p.Northing + s * gy, dx = -gy, dy = gx;
        double from = -INFINITY, to = INFINITY;
        const TCorner* c[3] = {&p, &q, &r};
        bool empty = false;
        for (int i = 0; i < 3 && !empty; ++i) {
            const TCorner &a = *c[i], &b = *c[(i + 1) % 3], &o = *c[(i + 2) % 3];
            const double nx = -(b.Northing - a.Northing), ny = b.Easting - a.Easting;
            const double inward = nx * (o.Easting - a.Easting) + ny * (o.Northing - a.Northing);
            const double sign = inward > 0 ? 1 : -1;
            const double at = sign * (nx * (ox - a.Easting) + ny * (oy - a.Northing));
            const double rate = sign * (nx * dx + ny * dy);
            const double scale = std::hypot(nx, ny) * 1e-9 * (1 + std::hypot(ox, oy));
            if (std::abs(rate) < 1e-15 * std::hypot(nx, ny) * std::hypot(dx, dy))
                empty = at < -scale;
            else if (rate > 0)
                from = std::max(from, -at / rate);
            else
                to = std::min(to, -at / rate);
        }
        if (!empty && to > from)
            length += (to - from) * std::hypot(dx, dy);
    }
    for (const auto& [side, triangles] : sidesOnLevel)
        if (triangles == 2)
            length -= std::hypot(corner(side.first).Easting - corner(side.second).Easting,
                                 corner(side.first).Northing - corner(side.second).Northing);
    return length;
}

double ChebyshevFromCentre(double x, double y) {
    return std::max(std::abs(x - 50), std::abs(y - 50));
}
} // namespace

TEST(ContoursTest, FlatGroundAtALevelIsOutlinedWhereverItMeetsOtherGround) {
    struct TCase {
        const char* Name;
        std::function<double(double, double)> Ground;
        double Level, Length;
        bool Closed;
    };
    const TCase cases[] = {
        // A pond's water at exactly 20 and its mirror image, a plateau: the same shoreline.
        {"pond", [](double x, double y) { return std::max(20.0, ChebyshevFromCentre(x, y)); }, 20,
         160, true},
        {"plateau", [](double x, double y) { return -std::max(20.0, ChebyshevFromCentre(x, y)); },
         -20, 160, true},
        // A valley floor and a ridge along x = 50: a side on the level, drawn once either way.
        {"valley floor", [](double x, double) { return std::abs(x - 50); }, 0, 100, false},
        {"ridge", [](double x, double) { return -std::abs(x - 50); }, 0, 100, false},
        // A plane whose low and high edges are levels: the ground rises inward, or falls.
        {"low edge", [](double x, double) { return x; }, 0, 100, false},
        {"high edge", [](double x, double) { return x; }, 100, 100, false},
    };
    for (const TCase& c : cases) {
        const TModelData data = SurfaceModel(10, 10, 10, c.Ground);
        const TTraced traced(data, Every(10, c.Level));
        std::vector<const TContourLine*> atLevel;
        for (const TContourLine& line : traced.Lines)
            if (line.Level == c.Level)
                atLevel.push_back(&line);
        ASSERT_EQ(atLevel.size(), 1u) << c.Name << ": one line";
        EXPECT_EQ(atLevel[0]->Closed, c.Closed) << c.Name;
        EXPECT_DOUBLE_EQ(traced.ByLevel().at(c.Level).first, c.Length) << c.Name;
        EXPECT_DOUBLE_EQ(LevelSetLength(data, c.Level), c.Length) << c.Name << " (the check)";
    }
}

TEST(ContoursTest, WholeMetreGroundAtWholeLevelsMatchesTheLevelSetAndEndsOnlyAtTheEdge) {
    // Elevations rounded to whole metres put many vertices exactly on the 5 m levels: saddles,
    // flats, sides along a level.
    const int cells = 24;
    const double size = 10, far = cells * size;
    const TModelData data = SurfaceModel(cells, cells, size, [](double x, double y) {
        return std::round(std::sin(x / 31) * 12 + std::cos(y / 23) * 9 +
                          std::sin((x + y) / 57) * 6);
    });
    const TTraced traced(data, Every(5));
    const auto levels = traced.ByLevel();
    ASSERT_GE(levels.size(), 5u);
    for (const auto& [level, lengthAndCount] : levels)
        EXPECT_NEAR(lengthAndCount.first, LevelSetLength(data, level), 1e-9 * far) << level;
    // A line ends on the model's edge, where more than two pieces meet, or where the ground
    // only touches the level: at a vertex whose neighbours off the level are all on one side.
    std::map<std::pair<double, std::pair<double, double>>, int> ends;
    for (const TContourLine& line : traced.Lines)
        for (const TPlanPoint& p : {line.Points.front(), line.Points.back()})
            ++ends[{line.Level, {p.X, p.Y}}];
    auto touchesOnly = [&](const TPlanPoint& p, double level) {
        int above = 0, below = 0;
        for (const auto& t : data.Triangles) {
            bool here = false;
            for (int32_t v : t.Vertices)
                here |= data.Vertices[size_t(v - 1)].Easting == p.X &&
                        data.Vertices[size_t(v - 1)].Northing == p.Y;
            for (int32_t v : t.Vertices)
                if (here) {
                    above += data.Vertices[size_t(v - 1)].Value > level;
                    below += data.Vertices[size_t(v - 1)].Value < level;
                }
        }
        return above == 0 || below == 0;
    };
    for (const TContourLine& line : traced.Lines) {
        if (line.Closed)
            continue;
        for (const TPlanPoint& p : {line.Points.front(), line.Points.back()}) {
            const bool edge = p.X == 0 || p.Y == 0 || p.X == far || p.Y == far;
            if (!edge) {
                const int meeting = ends[{line.Level, {p.X, p.Y}}];
                EXPECT_TRUE(meeting >= 3 || touchesOnly(p, line.Level))
                    << "level " << line.Level << " stops at " << p.X << ", " << p.Y;
            }
        }
    }
}

TEST(ContoursTest, IdenticalPiecesAreKeptOnceAndManyMeetingAtOnePointStayLinear) {
    // One triangle listed 20,000 times, and two copies of it with corners of their own taking
    // turns: every level gives one piece.
    TModelData data;
    data.Vertices = {{0, 0, 0}, {100, 0, 1000}, {0, 100, 2000}};
    for (int i = 0; i < 20000; ++i)
        data.Triangles.push_back({{1, 2, 3}, {-1, -1, -1}});
    data.Vertices.insert(data.Vertices.end(), {{0, 0, 0}, {100, 0, 1000}, {0, 100, 2000}});
    for (int i = 0; i < 1000; ++i)
        data.Triangles.push_back(
            {{1 + 3 * (i % 2), 2 + 3 * (i % 2), 3 + 3 * (i % 2)}, {-1, -1, -1}});
    const TTraced traced(data, Every(1));
    EXPECT_EQ(traced.Lines.size(), 1999u) << "1 to 1999; 0 and 2000 only touch a corner";
    for (const TContourLine& line : traced.Lines)
        EXPECT_EQ(line.Points.size(), 2u) << line.Level;

    // A fan of 40,000 triangles around a vertex on the level, their outer corners above and
    // below by turns: 40,000 pieces meet at the centre, and each is a line of its own.
    TModelData fan;
    const int spokes = 40000;
    fan.Vertices.push_back({0, 0, 0});
    for (int i = 0; i < spokes; ++i) {
        const double angle = 2 * M_PI * i / spokes;
        fan.Vertices.push_back({std::cos(angle) * 100, std::sin(angle) * 100, i % 2 ? 1.0 : -1.0});
    }
    for (int i = 0; i < spokes; ++i)
        fan.Triangles.push_back({{1, 2 + i, 2 + (i + 1) % spokes}, {-1, -1, -1}});
    const TTraced star(fan, Every(5));
    EXPECT_EQ(star.Lines.size(), size_t(spokes));
    for (const TContourLine& line : star.Lines) {
        ASSERT_EQ(line.Points.size(), 2u);
        EXPECT_TRUE(line.Points[0] == (TPlanPoint{0, 0}) || line.Points[1] == (TPlanPoint{0, 0}));
    }
}

TEST(ContoursTest, LevelsThatADoubleCannotTellApartAreRefused) {
    // |base / interval| at 2^53 and beyond: consecutive levels are the same double.
    EXPECT_TRUE(ContourSettingsProblem(Every(1, 1e16), 0, 100).contains("too close together"));
    EXPECT_TRUE(
        ContourSettingsProblem(Every(1, -9007199254740992.0), 0, 100).contains("too close"));
    EXPECT_TRUE(ContourSettingsProblem(Every(1, 1e15), 0, 100).isEmpty());
    // A count that is no number, and a range that is not finite.
    EXPECT_TRUE(ContourSettingsProblem(Every(1e-320), 0, 100).contains("more than 10000"));
    EXPECT_TRUE(ContourSettingsProblem(Every(1), 0, INFINITY).contains("not finite"));
    EXPECT_EQ(ContourLevelCount(Every(1e-320), 0, 100), INFINITY);
    // The tracer refuses them too, whatever range it was checked against.
    const TModelData plane = SurfaceModel(2, 2, 10, [](double x, double) { return x; });
    EXPECT_THROW(TTraced(plane, Every(1, 1e16)), Exception);
    EXPECT_THROW(TTraced(plane, Every(1e-320)), Exception);
    // A vertex at infinity is left out: the levels are those of the finite elevations.
    TModelData spike = plane;
    spike.Vertices[4].Value = INFINITY;
    EXPECT_EQ(FiniteValueRange(TTraced(spike, Every(10)).Model.Vertices()),
              (std::pair<double, double>{0, 20}));
}
