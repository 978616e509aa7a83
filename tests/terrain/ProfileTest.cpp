// Profiles whose breakpoints can be worked out by hand.
#include "terrain/Profile.h"
#include "SurfaceModel.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
struct TProfiled {
    explicit TProfiled(const TModelData& data) {
        TMemoryStream stream(WriteModel(data));
        Model.ReadFromStream(stream);
    }
    std::vector<TProfilePoint> Along(std::vector<TPlanPoint> line) const {
        return ComputeProfile(Model, line);
    }
    TVandrelTINModel Model;
};

double Plane(double x, double y) {
    return 3 + 0.5 * x - 0.25 * y;
}
} // namespace

TEST(ProfileTest, ThePlanesProfileIsAStraightLine) {
    const TProfiled plane(SurfaceModel(10, 10, 10, Plane));
    const auto profile = plane.Along({{3, 4}, {97, 61}, {20, 90}});
    ASSERT_GT(profile.size(), 20u);
    double distance = -1;
    for (const TProfilePoint& p : profile) {
        EXPECT_GT(p.Distance, distance) << "in order along the line";
        distance = p.Distance;
        EXPECT_NEAR(p.Value, Plane(p.Easting, p.Northing), 1e-9);
        EXPECT_NE(p.Triangle, nullptr);
    }
    EXPECT_NEAR(profile.back().Distance, std::hypot(94, 57) + std::hypot(77, 29), 1e-9);
    // A corner of the line is a breakpoint.
    bool corner = false;
    for (const TProfilePoint& p : profile)
        corner |= p.Easting == 97 && p.Northing == 61;
    EXPECT_TRUE(corner);
}

TEST(ProfileTest, BreakpointsAreTheSideCrossingsInOrderWithGapsOffTheMesh) {
    // Two cells of 10 over 0..20 by 0..10: triangles 1 (0,0)-(10,0)-(10,10), 2 (0,0)-(10,10)-
    // (0,10), 3 and 4 the same one cell to the east. The line y = 5 from x = -5 to 25 enters at
    // x = 0, crosses the diagonals at 5 and 15 and the middle side at 10, and leaves at 20.
    const TProfiled grid(SurfaceModel(2, 1, 10, Plane));
    const auto profile = grid.Along({{-5, 5}, {25, 5}});
    const double distances[] = {0, 5, 10, 15, 20, 25, 30};
    const int triangles[] = {0, 2, 1, 4, 3, 0, 0};
    ASSERT_EQ(profile.size(), std::size(distances));
    for (size_t i = 0; i < profile.size(); ++i) {
        const TProfilePoint& p = profile[i];
        EXPECT_DOUBLE_EQ(p.Distance, distances[i]) << i;
        EXPECT_DOUBLE_EQ(p.Easting, distances[i] - 5);
        EXPECT_DOUBLE_EQ(p.Northing, 5);
        EXPECT_EQ(p.Triangle ? p.Triangle->Number : 0, triangles[i]) << i;
        if (i == 0 || i == 6)
            EXPECT_TRUE(std::isnan(p.Value)) << "off the mesh";
        else
            EXPECT_NEAR(p.Value, Plane(p.Easting, 5), 1e-12) << i;
    }
}

TEST(ProfileTest, LinesOfNoLengthOrOffTheMeshGiveNothingToPlot) {
    const TProfiled grid(SurfaceModel(2, 2, 10, Plane));
    EXPECT_TRUE(grid.Along({{5, 5}, {5, 5}}).empty());
    EXPECT_TRUE(grid.Along({{5, 5}}).empty());
    EXPECT_TRUE(grid.Along({}).empty());
    const auto off = grid.Along({{100, 100}, {200, 150}});
    ASSERT_EQ(off.size(), 2u);
    for (const TProfilePoint& p : off) {
        EXPECT_TRUE(std::isnan(p.Value));
        EXPECT_EQ(p.Triangle, nullptr);
    }
    const TProfiled empty(TModelData{});
    EXPECT_EQ(empty.Along({{0, 0}, {1, 1}}).size(), 2u);
}

TEST(ProfileTest, OverlapsFollowTheFirstTriangleAndFlatGroundStaysFlat) {
    TModelData data = SurfaceModel(2, 2, 10, [](double, double) { return 4; });
    data.Vertices.push_back({0, 0, 100});
    data.Vertices.push_back({20, 0, 100});
    data.Vertices.push_back({0, 20, 100});
    const int32_t n = int32_t(data.Vertices.size());
    data.Triangles.push_back({{n - 2, n - 1, n}, {-1, -1, -1}}); // over the lower-left half
    const TProfiled overlapped(data);
    for (const TProfilePoint& p : overlapped.Along({{1, 1}, {19, 19}}))
        EXPECT_DOUBLE_EQ(p.Value, 4) << "the grid comes first in the collection";
}

TEST(ProfileTest, RoundPlacesGetRoundDistancesAndCoordinates) {
    // A 10 m grid at survey coordinates: the line along a row's middle crosses the grid lines at
    // whole tens and the diagonals halfway between; each breakpoint is exactly there.
    TModelData data = SurfaceModel(10, 10, 10, Plane);
    for (auto& v : data.Vertices) {
        v.Easting += 500000;
        v.Northing += 6841000;
    }
    const TProfiled model(data);
    const auto profile = model.Along({{500000, 6841005}, {500100, 6841005}});
    ASSERT_GE(profile.size(), 11u);
    for (const TProfilePoint& point : profile) {
        const double along = point.Easting - 500000;
        EXPECT_EQ(point.Distance, along) << point.Distance;
        EXPECT_EQ(std::fmod(along, 5), 0) << "on a grid line or a diagonal: " << along;
        EXPECT_EQ(point.Northing, 6841005);
    }
    // A second segment carries on from the first one's whole length.
    const auto bent = model.Along({{500000, 6841005}, {500030, 6841005}, {500030, 6841045}});
    EXPECT_EQ(bent.back().Distance, 70);
    for (const TProfilePoint& point : bent) {
        if (point.Easting == 500030 && point.Northing > 6841005) {
            EXPECT_EQ(point.Distance, 30 + (point.Northing - 6841005));
        }
    }
}
