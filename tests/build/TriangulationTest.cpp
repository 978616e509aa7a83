// The surface built from survey points, checked by an independent exact test: every side
// shared by two triangles passes the in-circle test in integer arithmetic (the coordinates are
// whole 1024ths of a metre at survey eastings and northings, so that it is exact), every
// triangle turns anticlockwise, every point given is a vertex with its elevation.
#include "build/Triangulation.h"
#include "inspect/HealthCheck.h"
#include "vrk/VRKModel.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {
// Wide enough for the in-circle determinant of coordinates of up to 2^30 units.
__extension__ typedef __int128 TWide;
constexpr double Unit = 1.0 / 1024;
constexpr double East = 500000, North = 4000000;

// A coordinate in whole units from the origin, exactly.
TWide Units(double coordinate, double origin) {
    const double units = (coordinate - origin) / Unit;
    EXPECT_EQ(units, std::floor(units)) << "a whole number of units";
    return TWide(units);
}

struct TExact {
    TWide X, Y;
};
TExact Exact(const TSurfacePoint& p) {
    return {Units(p.Easting, East), Units(p.Northing, North)};
}

TWide Turn(TExact a, TExact b, TExact c) {
    return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
}

// Positive when d lies inside the circle through the anticlockwise a, b, c.
TWide InCircle(TExact a, TExact b, TExact c, TExact d) {
    const TWide ax = a.X - d.X, ay = a.Y - d.Y, bx = b.X - d.X, by = b.Y - d.Y, cx = c.X - d.X,
                cy = c.Y - d.Y;
    return (ax * ax + ay * ay) * (bx * cy - by * cx) - (bx * bx + by * by) * (ax * cy - ay * cx) +
           (cx * cx + cy * cy) * (ax * by - ay * bx);
}

struct TCount : THealthReport {
    // A thin triangle is the points' own: random points have them along their hull.
    void AddProblem(const QString& entity, const QString& problem, TTriangle*) override {
        if (problem != "Thin triangle" && Texts.size() < 5)
            Texts << entity + " " + problem;
    }
    QStringList Texts;
};

// Checks the surface against the points: Delaunay, anticlockwise, every point kept, the health
// check silent. Returns the plan area in square units.
TWide ExpectDelaunay(const TSurfaceData& surface) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> opposite; // side -> the corner facing it
    TWide area = 0;
    for (const auto& face : surface.Faces) {
        const TExact a = Exact(surface.Points[face[0]]), b = Exact(surface.Points[face[1]]),
                     c = Exact(surface.Points[face[2]]);
        EXPECT_GT(Turn(a, b, c), 0) << "anticlockwise, no flat triangle";
        area += Turn(a, b, c);
        for (int k = 0; k < 3; ++k)
            opposite[{face[size_t(k)], face[size_t((k + 1) % 3)]}] = face[size_t((k + 2) % 3)];
    }
    int shared = 0;
    for (const auto& [side, corner] : opposite) {
        const auto other = opposite.find({side.second, side.first});
        if (other == opposite.end())
            continue;
        ++shared;
        const TExact a = Exact(surface.Points[side.first]), b = Exact(surface.Points[side.second]),
                     c = Exact(surface.Points[corner]), d = Exact(surface.Points[other->second]);
        EXPECT_LE(InCircle(a, b, c, d), 0) << "side " << side.first << "-" << side.second;
    }
    EXPECT_GT(shared, 0);
    // The neighbours the triangulation gives are those that shared corners give.
    TSurfaceData cornersOnly = surface;
    cornersOnly.Neighbours.clear();
    const auto found = FaceNeighbours(cornersOnly);
    EXPECT_TRUE(std::equal(
        found.begin(), found.end(), surface.Neighbours.begin(), surface.Neighbours.end(),
        [](const auto& a, const auto& b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }));
    TVandrelTINModel model;
    BuildModel(model, TSurfaceData(surface));
    TCount report;
    CheckModel(model, report, 1);
    EXPECT_TRUE(report.Texts.isEmpty()) << report.Texts.join("; ").toStdString();
    return area;
}

// Points at random places of a square of spread steps of step units.
std::vector<TSurfacePoint> RandomPoints(int count, uint32_t seed, int spread, int step = 1) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> place(0, spread);
    std::vector<TSurfacePoint> points;
    for (int i = 0; i < count; ++i)
        points.push_back({East + place(random) * step * Unit, North + place(random) * step * Unit,
                          100 + place(random) * Unit});
    return points;
}
} // namespace

TEST(TriangulationTest, SurveyPointsGiveTheExactDelaunayTriangulationOfTheirHull) {
    // Random points, a grid of cocircular fours, repeated places on a grid, points across a
    // kilometre.
    std::vector<TSurfacePoint> grid;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 30; ++j)
            grid.push_back({East + i * 5.0, North + j * 5.0, double(i + j)});
    for (const auto& points : {RandomPoints(4000, 1, 1 << 20), grid, RandomPoints(3000, 2, 60, 256),
                               RandomPoints(50, 3, 1 << 30)}) {
        TTriangulationReport report;
        const TSurfaceData surface = TriangulatePoints(points, {}, report);
        ExpectDelaunay(surface);
        // Every point given is there, first of each position, with its elevation, in order.
        std::map<std::pair<double, double>, double> first;
        for (const TSurfacePoint& p : points)
            first.emplace(std::pair(p.Easting, p.Northing), p.Value);
        ASSERT_EQ(surface.Points.size(), first.size());
        EXPECT_EQ(int64_t(points.size() - first.size()), report.Repeated);
        for (const TSurfacePoint& p : surface.Points)
            EXPECT_EQ(p.Value, first.at({p.Easting, p.Northing}));
    }
}

TEST(TriangulationTest, RepeatsAreCountedAndLongOutlineSidesGoFromTheOutlineInward) {
    const std::vector<TSurfacePoint> repeated{{East, North, 1},     {East + 8, North, 2},
                                              {East, North + 8, 3}, {East, North, 1},
                                              {East + 8, North, 5}, {East + 8, North, 2}};
    TTriangulationReport report;
    const TSurfaceData three = TriangulatePoints(repeated, {}, report);
    EXPECT_EQ(three.Points.size(), 3u);
    EXPECT_EQ(three.Points[1].Value, 2) << "the first at a position stays";
    EXPECT_EQ(report.Repeated, 3);
    EXPECT_EQ(report.RepeatedOtherValue, 1);

    // An L of points every metre, 10 by 10 less 6 by 6: the hull takes in the notch; a longest
    // side of 1.5 leaves the L and the half square at its inner corner, whose sides are 1, 1
    // and 1.41.
    std::vector<TSurfacePoint> l;
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j)
            if (i <= 4 || j <= 4)
                l.push_back({East + i, North + j, double(i * j)});
    const TWide hull = ExpectDelaunay(TriangulatePoints(l, {}, report));
    EXPECT_EQ(report.RemovedByMaxEdge, 0);
    const TWide notched = ExpectDelaunay(TriangulatePoints(l, {1.5}, report));
    const TWide square = 1024 * 1024;
    EXPECT_EQ(notched, 2 * (100 - 36) * square + square) << "twice the area, in square units";
    EXPECT_LT(notched, hull);
    EXPECT_GT(report.RemovedByMaxEdge, 0);
}

TEST(TriangulationTest, PointsThatSpanNoTriangleAreRefused) {
    const std::vector<std::vector<TSurfacePoint>> refused{
        {{East, North, 1}, {East + 1, North, 1}},
        {{East, North, 1}, {East + 1, North + 1, 1}, {East + 2, North + 2, 1}},
        {{East, North, 1}, {East + 1, North, 1}, {East, North + 1, NAN}}};
    for (const auto& points : refused) {
        TTriangulationReport report;
        EXPECT_THROW(TriangulatePoints(points, {}, report), ESurfaceReadError);
    }
}

namespace {
// Whether the side a-b lies on the segment p-q (collinear, between its ends), exactly.
bool OnSegment(TExact a, TExact b, TExact p, TExact q) {
    auto within = [](TWide v, TWide e, TWide f) {
        return std::min(e, f) <= v && v <= std::max(e, f);
    };
    return Turn(p, q, a) == 0 && Turn(p, q, b) == 0 && within(a.X, p.X, q.X) &&
           within(a.Y, p.Y, q.Y) && within(b.X, p.X, q.X) && within(b.Y, p.Y, q.Y);
}
} // namespace

TEST(TriangulationTest, BreaklinesAndABoundaryBecomeTriangleSidesAndTheAreaIsTheBoundarys) {
    // Points every 4 m, an L-shaped boundary with a square hole, a breakline with elevations
    // and one without crossing it at (120, 40); every corner on whole 1024ths.
    std::vector<TSurfacePoint> points;
    for (int i = 0; i <= 60; ++i)
        for (int j = 0; j <= 40; ++j)
            points.push_back({East + i * 4.0, North + j * 4.0, 100 + (i % 7) * 0.25 + j * 0.125});
    const std::vector<TPlanPoint> outer{{East + 10, North + 10},   {East + 230, North + 10},
                                        {East + 230, North + 70},  {East + 120, North + 70},
                                        {East + 120, North + 150}, {East + 10, North + 150}};
    const std::vector<TPlanPoint> hole{{East + 40, North + 40},
                                       {East + 70, North + 40},
                                       {East + 70, North + 70},
                                       {East + 40, North + 70}};
    const TBoundary boundary{{outer, hole}};
    const std::vector<TBreakline> lines{
        {{{East + 20, North + 20, 90}, {East + 220, North + 60, 110}}},
        {{{East + 20, North + 60, NAN}, {East + 220, North + 20, NAN}}}};
    TTriangulationReport report;
    const TSurfaceData surface = TriangulateSurvey(points, lines, &boundary, {}, report);
    // Twice the area, in square units: the L of 220 x 60 and 110 x 80, less the 30 x 30 hole.
    const TWide square = 1024 * 1024;
    TWide area = 0;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> opposite;
    for (const auto& face : surface.Faces) {
        const TExact a = Exact(surface.Points[face[0]]), b = Exact(surface.Points[face[1]]),
                     c = Exact(surface.Points[face[2]]);
        EXPECT_GT(Turn(a, b, c), 0);
        area += Turn(a, b, c);
        for (int k = 0; k < 3; ++k)
            opposite[{face[size_t(k)], face[size_t((k + 1) % 3)]}] = face[size_t((k + 2) % 3)];
    }
    EXPECT_EQ(area, 2 * (220 * 60 + 110 * 80 - 30 * 30) * square);
    // The outline runs along the boundary; sides on a line or the boundary are constrained,
    // every other shared side is Delaunay.
    std::vector<std::pair<TExact, TExact>> constrained;
    for (const auto& ring : boundary.Rings)
        for (size_t i = 0; i < ring.size(); ++i)
            constrained.push_back(
                {Exact({ring[i].X, ring[i].Y, 0}),
                 Exact({ring[(i + 1) % ring.size()].X, ring[(i + 1) % ring.size()].Y, 0})});
    for (const TBreakline& line : lines)
        constrained.push_back({Exact({line.Points[0][0], line.Points[0][1], 0}),
                               Exact({line.Points[1][0], line.Points[1][1], 0})});
    auto onConstraint = [&](TExact a, TExact b, size_t from = 0) {
        for (size_t i = from; i < constrained.size(); ++i)
            if (OnSegment(a, b, constrained[i].first, constrained[i].second))
                return true;
        return false;
    };
    TWide lineLength[2] = {0, 0}; // the breaklines' sides, along the main direction
    for (const auto& [side, corner] : opposite) {
        const TExact a = Exact(surface.Points[side.first]), b = Exact(surface.Points[side.second]);
        const auto other = opposite.find({side.second, side.first});
        if (other == opposite.end()) {
            EXPECT_TRUE(onConstraint(a, b)) << "an outline side off the boundary";
            continue;
        }
        for (size_t l = 0; l < 2; ++l)
            if (side.first < side.second &&
                OnSegment(a, b, constrained[constrained.size() - 2 + l].first,
                          constrained[constrained.size() - 2 + l].second))
                lineLength[l] += b.X > a.X ? b.X - a.X : a.X - b.X;
        if (!onConstraint(a, b)) {
            EXPECT_LE(
                InCircle(a, b, Exact(surface.Points[corner]), Exact(surface.Points[other->second])),
                0);
        }
    }
    EXPECT_EQ(lineLength[0], 200 * 1024) << "the first breakline is covered by sides";
    EXPECT_EQ(lineLength[1], 170 * 1024) << "and the second, but for its 30 m in the hole";
    // The first line's corners keep their elevations, the crossing takes the first line's.
    for (const TSurfacePoint& p : surface.Points) {
        if (p.Easting == East + 20 && p.Northing == North + 20) {
            EXPECT_EQ(p.Value, 90);
        }
        const TExact e = Exact(p);
        if (Turn(constrained[constrained.size() - 2].first,
                 constrained[constrained.size() - 2].second, e) == 0 &&
            Turn(constrained.back().first, constrained.back().second, e) == 0) { // the crossing
            EXPECT_NEAR(p.Value, 90 + 20 * (p.Easting - East - 20) / 200, 1e-9);
        }
    }
}
