#include "model/Geometry.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {
// A lone triangle with its own vertices.
struct TLoneTriangle {
    TLoneTriangle(TPoint3D a, TPoint3D b, TPoint3D c)
        : A(a.X, a.Y, a.Z), B(b.X, b.Y, b.Z), C(c.X, c.Y, c.Z), T(&A, &B, &C) {}
    TTriVertex A, B, C;
    TTriangle T;
};
} // namespace

TEST(GeometryTest, NullValueIsTheSingleWidened) {
    const float single = -1.2345E-35f;
    uint32_t bits;
    std::memcpy(&bits, &single, 4);
    EXPECT_EQ(bits, 0x85834649u);
    EXPECT_EQ(NullValue, static_cast<double>(single));
}

TEST(GeometryTest, AreaAndSideLengthsAreThreeDimensional) {
    TLoneTriangle t({0, 0, 0}, {3, 0, 4}, {0, 2, 0});
    EXPECT_DOUBLE_EQ(t.T.Area(), 5.0); // legs 5 and 2, right angle
    int shortSide, longSide;
    double shortest, longest;
    t.T.SideLengths(shortSide, longSide, shortest, longest);
    EXPECT_EQ(shortSide, 3);
    EXPECT_EQ(longSide, 2);
    EXPECT_DOUBLE_EQ(shortest, 2);
    EXPECT_DOUBLE_EQ(longest, std::sqrt(9 + 16 + 4.0));

    TLoneTriangle isosceles({0, 0, 0}, {2, 0, 0}, {1, 5, 0});
    isosceles.T.SideLengths(shortSide, longSide, shortest, longest);
    EXPECT_EQ(longSide, 2) << "equal longest sides report the lower number";
    EXPECT_EQ(shortSide, 1);
}

TEST(GeometryTest, ContainmentIncludesTheSidesOnlyWhenAnticlockwise) {
    TLoneTriangle anticlockwise({0, 0, 0}, {4, 0, 0}, {0, 4, 0});
    TLoneTriangle clockwise({0, 0, 0}, {0, 4, 0}, {4, 0, 0});
    EXPECT_FALSE(anticlockwise.T.IsClockwise());
    EXPECT_TRUE(clockwise.T.IsClockwise());
    for (auto [x, y] : {std::pair{1.0, 1.0}}) {
        EXPECT_TRUE(anticlockwise.T.Contains(x, y));
        EXPECT_TRUE(clockwise.T.Contains(x, y));
    }
    for (auto [x, y] : {std::pair{2.0, 0.0}, {0.0, 0.0}, {2.0, 2.0}, {4.0, 0.0}}) {
        EXPECT_TRUE(anticlockwise.T.Contains(x, y)) << x << "," << y;
        EXPECT_FALSE(clockwise.T.Contains(x, y)) << x << "," << y;
    }
    EXPECT_FALSE(anticlockwise.T.Contains(3, 3));
    EXPECT_FALSE(anticlockwise.T.Contains(-0.001, 1));
}

TEST(GeometryTest, DegenerateTrianglesContainTheirWholeLine) {
    TLoneTriangle line({0, 0, 0}, {1, 1, 0}, {2, 2, 0});
    EXPECT_TRUE(line.T.Contains(50, 50));
    EXPECT_FALSE(line.T.Contains(50, 51));
    TLoneTriangle point({3, 3, 0}, {3, 3, 0}, {3, 3, 0});
    EXPECT_TRUE(point.T.Contains(-100, 7));
}

TEST(GeometryTest, InterpolationEndsAndOutside) {
    EXPECT_EQ(InterpolateLinear(0, 10, 2, 20, 0), 10);
    EXPECT_EQ(InterpolateLinear(0, 10, 2, 20, 2), 20);
    EXPECT_EQ(InterpolateLinear(0, 10, 2, 20, 1), 15);
    EXPECT_EQ(InterpolateLinear(0, 10, 2, 20, 2.0000001), NullValue);
    EXPECT_EQ(InterpolateLinear(0, 10, 2, 20, -1e-9), NullValue);
    EXPECT_EQ(InterpolateLinear(3, 10, 3, 20, 3), NullValue) << "vertical side is never cut";
}

TEST(GeometryTest, ValueInTriangleUsesTheFirstTwoCuts) {
    TLoneTriangle t({0, 0, 0}, {10, 0, 10}, {0, 10, 20});
    EXPECT_DOUBLE_EQ(t.T.ValueAt(2, 2), 2 + 4);
    EXPECT_DOUBLE_EQ(t.T.ValueAt(5, 0), 5);
    EXPECT_EQ(t.T.ValueAt(2, 9), NullValue) << "outside the cuts";
    // The vertical line through the vertex shared by the two cut edges: equal northings.
    TLoneTriangle apex({0, 0, 0}, {5, 5, 10}, {10, 0, 0});
    EXPECT_EQ(apex.T.ValueAt(5, 5), NullValue);
}

TEST(GeometryTest, CrossesNeighbourSeesOverlaps) {
    TTriVertex a(0, 0, 0), b(4, 0, 0), c(2, 3, 0), below(2, -3, 0), above(1, 2, 0), on(6, 0, 0);
    TTriangle t(&a, &b, &c);
    TTriangle across(&b, &a, &below);
    TTriangle overlapping(&b, &a, &above);
    TTriangle flat(&b, &a, &on);
    EXPECT_FALSE(t.CrossesNeighbour(1));
    t.SetNeighbour(1, &across);
    EXPECT_FALSE(t.CrossesNeighbour(1));
    t.SetNeighbour(1, &overlapping);
    EXPECT_TRUE(t.CrossesNeighbour(1));
    t.SetNeighbour(1, &flat);
    EXPECT_TRUE(t.CrossesNeighbour(1)) << "a far vertex on the line counts as left, like c";
}

TEST(GeometryTest, VerticesCoincideComparesTheSquaredDistance) {
    TTriVertex a(0, 0, 0), b(0.0099, 0, 0), c(0, 0, 0.0101);
    EXPECT_TRUE(VerticesCoincide(&a, &a, 0));
    EXPECT_TRUE(VerticesCoincide(&a, &b, 0.0001));
    EXPECT_FALSE(VerticesCoincide(&a, &c, 0.0001));
}
