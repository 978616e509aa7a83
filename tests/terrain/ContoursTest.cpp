// Contours of surfaces whose level lines are known: planes, a ridge, a pyramid.
#include "terrain/Contours.h"
#include "SurfaceModel.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
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
    ASSERT_EQ(traced.Lines.size(), 14u) << "7, 14, ..., 98; 0 only touches the low side";
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
    EXPECT_EQ(plane.ByLevel().size(), 10u) << "10 to 100";
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
