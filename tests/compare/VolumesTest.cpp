// Cut and fill against a level, and lengths along the surface: hand-worked cases, and an
// independent computation that clips each triangle's polygon at d = 0 and integrates fans.
#include "compare/Volumes.h"
#include "PolygonIntegrals.h"
#include "SurfaceModel.h"
#include "compare/Measure.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {
struct TLoaded {
    explicit TLoaded(const TModelData& data) {
        TMemoryStream stream(WriteModel(data));
        Model.ReadFromStream(stream);
    }
    TVandrelTINModel Model;
};

// The other way: each triangle as a polygon of (x, y, d), clipped to d >= 0 and to d <= 0 by
// Sutherland-Hodgman, each part integrated as a fan of triangles, area times mean d.
TVolumes ClippedVolumes(const TModelData& data, double level) {
    TVolumes v;
    for (const auto& t : data.Triangles) {
        std::vector<TCorner> polygon;
        for (int32_t n : t.Vertices) {
            const auto& p = data.Vertices[size_t(n - 1)];
            polygon.push_back({p.Easting, p.Northing, level - p.Value});
        }
        const auto [fillArea, fill] = AreaAndIntegral(KeepSign(polygon, 1));
        const auto [cutArea, cut] = AreaAndIntegral(KeepSign(polygon, -1));
        v.Fill += fill;
        v.Cut -= cut;
        v.Area += AreaAndIntegral(polygon).first;
        if (fill > 0)
            v.FillArea += fillArea;
        if (cut < 0)
            v.CutArea += cutArea;
    }
    return v;
}
} // namespace

TEST(VolumesTest, APlaneAgainstLevelsWorkedByHand) {
    // z = x over 0..100 by 0..100. At level 50 the ground is below the level (fill) for x < 50:
    // 100 * the integral of (50 - x) from 0 to 50 = 125,000, and as much cut on the other side.
    const TLoaded plane(SurfaceModel(10, 10, 10, [](double x, double) { return x; }));
    const TVolumes half = VolumesToLevel(plane.Model.Triangles(), 50);
    EXPECT_DOUBLE_EQ(half.Fill, 125000);
    EXPECT_DOUBLE_EQ(half.Cut, 125000);
    EXPECT_DOUBLE_EQ(half.Net(), 0);
    EXPECT_DOUBLE_EQ(half.FillArea, 5000);
    EXPECT_DOUBLE_EQ(half.CutArea, 5000);
    EXPECT_DOUBLE_EQ(half.Area, 10000);
    // Level 37, through no vertex: fill 100 * 37^2 / 2, cut 100 * 63^2 / 2.
    const TVolumes off = VolumesToLevel(plane.Model.Triangles(), 37);
    EXPECT_NEAR(off.Fill, 68450, 1e-9 * 68450);
    EXPECT_NEAR(off.Cut, 198450, 1e-9 * 198450);
    EXPECT_NEAR(off.FillArea, 3700, 1e-9 * 3700);
    // The level at the lowest corner: all cut, no fill area; at the highest: all fill.
    const TVolumes low = VolumesToLevel(plane.Model.Triangles(), 0);
    EXPECT_DOUBLE_EQ(low.Fill, 0);
    EXPECT_DOUBLE_EQ(low.FillArea, 0);
    EXPECT_DOUBLE_EQ(low.Cut, 500000);
    EXPECT_DOUBLE_EQ(VolumesToLevel(plane.Model.Triangles(), 100).Fill, 500000);
    // Flat ground exactly at the level: neither.
    const TLoaded flat(SurfaceModel(4, 4, 10, [](double, double) { return 7; }));
    const TVolumes none = VolumesToLevel(flat.Model.Triangles(), 7);
    EXPECT_EQ(none.Cut + none.Fill + none.CutArea + none.FillArea, 0);
    EXPECT_DOUBLE_EQ(none.Area, 1600);
}

TEST(VolumesTest, RoughGroundAgreesWithClippedPolygonsToTheNinthDigit) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> height(90, 140);
    TModelData data = SurfaceModel(30, 25, 10, [&](double, double) { return height(random); });
    for (auto& v : data.Vertices) { // survey coordinates, and some elevations on a level
        v.Easting += 512000;
        v.Northing += 6841000;
        if (random() % 5 == 0)
            v.Value = 115;
    }
    const TLoaded rough(data);
    for (double level : {115.0, 100.5, 89.0, 141.0}) {
        const TVolumes got = VolumesToLevel(rough.Model.Triangles(), level);
        const TVolumes want = ClippedVolumes(data, level);
        EXPECT_NEAR(got.Fill, want.Fill, 1e-9 * (1 + want.Fill)) << level;
        EXPECT_NEAR(got.Cut, want.Cut, 1e-9 * (1 + want.Cut)) << level;
        EXPECT_NEAR(got.FillArea, want.FillArea, 1e-9 * want.Area) << level;
        EXPECT_NEAR(got.CutArea, want.CutArea, 1e-9 * want.Area) << level;
        EXPECT_NEAR(got.Area, want.Area, 1e-9 * want.Area) << level;
    }
}

TEST(VolumesTest, BrokenTrianglesCountForNothing) {
    TModelData data;
    data.Vertices = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {20, 0, 0}, {5, 5, std::nan("")}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, -1}},  // 50 of plan area, 10 below the level
                      {{1, 2, 4}, {-1, -1, -1}},  // collinear: no area
                      {{1, 2, 5}, {-1, -1, -1}}}; // an elevation that is no number
    const TLoaded broken(data);
    const TVolumes v = VolumesToLevel(broken.Model.Triangles(), 10);
    EXPECT_DOUBLE_EQ(v.Fill, 500);
    EXPECT_DOUBLE_EQ(v.Area, 50);
}

TEST(VolumesTest, CompensatedSummationKeepsTheSmallParts) {
    TCompensatedSum sum;
    sum.Add(1e16);
    for (int i = 0; i < 1000; ++i)
        sum.Add(1);
    sum.Add(-1e16);
    EXPECT_EQ(sum.Value(), 1000);
}

TEST(MeasureTest, ALineAlongASlopeIsLongerOnTheGroundByItsGrade) {
    // z = 0.75 x: along x the ground rises 3 in 4, so 100 in plan is 125 on the ground.
    const TLoaded slope(SurfaceModel(10, 10, 10, [](double x, double) { return 0.75 * x; }));
    const TLineMeasure along = MeasureLine(slope.Model, {{0, 35}, {100, 35}});
    EXPECT_DOUBLE_EQ(along.PlanLength, 100);
    EXPECT_NEAR(along.SurfaceLength, 125, 1e-12);
    // Across the slope the ground is level; half the line off the model counts in plan only.
    const TLineMeasure across = MeasureLine(slope.Model, {{40, -100}, {40, 100}});
    EXPECT_DOUBLE_EQ(across.PlanLength, 200);
    EXPECT_NEAR(across.SurfaceLength, 100, 1e-12);
    EXPECT_NEAR(across.PlanOnMesh, 100, 1e-12);
    // A bent line: 3-4-5 in plan on each leg, the second along the level.
    const TLineMeasure bent = MeasureLine(slope.Model, {{10, 10}, {50, 40}, {50, 90}});
    EXPECT_DOUBLE_EQ(bent.PlanLength, 100);
    EXPECT_NEAR(bent.SurfaceLength, std::hypot(50, 30) + 50, 1e-12);
}

TEST(MeasureTest, SegmentsHaveTheirBearingAndGrade) {
    EXPECT_DOUBLE_EQ(Bearing({0, 0}, {0, 10}), 0) << "north";
    EXPECT_DOUBLE_EQ(Bearing({0, 0}, {10, 0}), 90) << "east";
    EXPECT_DOUBLE_EQ(Bearing({0, 0}, {0, -10}), 180) << "south";
    EXPECT_DOUBLE_EQ(Bearing({0, 0}, {-10, 0}), 270) << "west";
    EXPECT_DOUBLE_EQ(Bearing({0, 0}, {10, 10}), 45);
    // z = 0.75 x: going east rises 75 %, going north is level, going west falls.
    const TLoaded slope(SurfaceModel(10, 10, 10, [](double x, double) { return 0.75 * x; }));
    const auto segments = MeasureSegments(slope.Model, {{10, 10}, {50, 10}, {50, 90}, {20, 90}});
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_DOUBLE_EQ(segments[0].PlanLength, 40);
    EXPECT_NEAR(segments[0].Grade, 75, 1e-9);
    EXPECT_DOUBLE_EQ(segments[1].Bearing, 0);
    EXPECT_NEAR(segments[1].Grade, 0, 1e-9);
    EXPECT_NEAR(segments[2].Grade, -75, 1e-9);
    EXPECT_TRUE(std::isnan(MeasureSegments(slope.Model, {{50, 50}, {500, 50}})[0].Grade))
        << "an end off the model";
}
