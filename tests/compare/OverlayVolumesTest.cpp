// Cut and fill between two surfaces and within boundaries: worked cases, and rough surfaces
// against an independent computation on a shared triangulation (each triangle clipped at d = 0
// and integrated as fans), with the comparison surface cut up and shuffled so that none of its
// triangles is one of the model's.
#include "PolygonIntegrals.h"
#include "SurfaceModel.h"
#include "compare/Boundary.h"
#include "compare/Overlay.h"
#include "compare/Volumes.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <algorithm>
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

TModelData Shifted(TModelData data, double east, double north) {
    for (auto& v : data.Vertices) {
        v.Easting += east;
        v.Northing += north;
    }
    return data;
}

// Each triangle cut into four at its sides' midpoints, the elevations there on its plane, the
// triangles in a shuffled order and without neighbours: the same surface, other triangles.
TModelData Quartered(const TModelData& data, uint32_t seed) {
    TModelData out;
    out.Vertices = data.Vertices;
    auto midpoint = [&](int32_t a, int32_t b) {
        const auto &p = data.Vertices[size_t(a - 1)], &q = data.Vertices[size_t(b - 1)];
        out.Vertices.push_back(
            {(p.Easting + q.Easting) / 2, (p.Northing + q.Northing) / 2, (p.Value + q.Value) / 2});
        return int32_t(out.Vertices.size());
    };
    for (const auto& t : data.Triangles) {
        const auto [a, b, c] = t.Vertices;
        const int32_t ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
        for (const std::array<int32_t, 3> corners :
             {std::array{a, ab, ca}, {ab, b, bc}, {ca, bc, c}, {ab, bc, ca}})
            out.Triangles.push_back({corners, {-1, -1, -1}});
    }
    std::shuffle(out.Triangles.begin(), out.Triangles.end(), std::mt19937(seed));
    return out;
}

// Model and comparison on the same vertices in plan: d at each corner is their difference.
TVolumes OnSharedTriangles(const TModelData& model, const TModelData& comparison) {
    TVolumes v;
    for (const auto& t : model.Triangles) {
        std::vector<TCorner> polygon;
        for (int32_t n : t.Vertices) {
            const auto &p = model.Vertices[size_t(n - 1)], &q = comparison.Vertices[size_t(n - 1)];
            polygon.push_back({p.Easting, p.Northing, q.Value - p.Value});
        }
        const auto [fillArea, fill] = AreaAndIntegral(KeepSign(polygon, 1));
        const auto [cutArea, cut] = AreaAndIntegral(KeepSign(polygon, -1));
        v.Fill += fill;
        v.Cut -= cut;
        v.FillArea += fill > 0 ? fillArea : 0;
        v.CutArea += cut < 0 ? cutArea : 0;
        v.Area += AreaAndIntegral(polygon).first;
    }
    return v;
}

void ExpectNear(const TVolumes& got, const TVolumes& want, double scale, double area) {
    EXPECT_NEAR(got.Fill, want.Fill, 1e-9 * scale);
    EXPECT_NEAR(got.Cut, want.Cut, 1e-9 * scale);
    EXPECT_NEAR(got.FillArea, want.FillArea, 1e-9 * area);
    EXPECT_NEAR(got.CutArea, want.CutArea, 1e-9 * area);
    EXPECT_NEAR(got.Area, want.Area, 1e-9 * area);
}

TVolumes Compare(const TVandrelTINModel& model, const TVandrelTINModel& surface,
                 const TBoundary* boundary = nullptr) {
    return CompareVolumes(model.Triangles(), {&surface, 0}, boundary);
}
} // namespace

TEST(OverlayVolumesTest, TwoPlanesWorkedByHand) {
    // Flat ground at 0 over 0..10 by 0..10 against z = x - 5 on a coarser grid of its own:
    // 10 * the integral of (x - 5) from 5 to 10 = 125 fill, as much cut.
    const TLoaded ground(SurfaceModel(10, 10, 1, [](double, double) { return 0; }));
    const TLoaded tilted(SurfaceModel(3, 3, 10.0 / 3, [](double x, double) { return x - 5; }));
    ExpectNear(Compare(ground.Model, tilted.Model), {125, 125, 50, 50, 100}, 125, 100);
    // The other way round, cut and fill change places.
    ExpectNear(Compare(tilted.Model, ground.Model), {125, 125, 50, 50, 100}, 125, 100);
}

TEST(OverlayVolumesTest, OnlyWhereBothSurfacesAre) {
    // 0..10 square at 0 against a 2 m higher square over 5..15: a 5 by 5 overlap, all fill.
    const TLoaded ground(SurfaceModel(4, 4, 2.5, [](double, double) { return 0; }));
    const TLoaded pile(
        Shifted(SurfaceModel(3, 3, 10.0 / 3, [](double, double) { return 2; }), 5, 5));
    ExpectNear(Compare(ground.Model, pile.Model), {0, 50, 0, 25, 25}, 50, 25);
    // Surfaces side by side, sharing only a side: nothing compared.
    const TLoaded beside(Shifted(SurfaceModel(2, 2, 5, [](double, double) { return 2; }), 10, 0));
    EXPECT_EQ(Compare(ground.Model, beside.Model).Area, 0);
}

TEST(OverlayVolumesTest, OneTriangleSplitByTheZeroLine) {
    // z = x + y - 1 over the triangle (0,0), (3,0), (0,3) against 0 on the same triangle: below 0
    // in the corner triangle x + y < 1 (fill 1/6 over area 1/2); in all, d integrates to -4.5.
    TModelData model;
    model.Vertices = {{0, 0, -1}, {3, 0, 2}, {0, 3, 2}};
    model.Triangles = {{{1, 2, 3}, {-1, -1, -1}}};
    TModelData zero = model;
    for (auto& v : zero.Vertices)
        v.Value = 0;
    const TLoaded a(model), b(zero);
    ExpectNear(Compare(a.Model, b.Model), {4.5 + 1.0 / 6, 1.0 / 6, 4, 0.5, 4.5}, 4.5, 4.5);
    // The same against the level 0.
    ExpectNear(CompareVolumes(a.Model.Triangles(), {nullptr, 0}),
               {4.5 + 1.0 / 6, 1.0 / 6, 4, 0.5, 4.5}, 4.5, 4.5);
}

TEST(OverlayVolumesTest, ANonConvexBoundaryWithAHoleInEitherDirection) {
    const TLoaded ground(SurfaceModel(7, 7, 10.0 / 7, [](double, double) { return 0; }));
    const TLoaded raised(SurfaceModel(3, 5, 2, [](double x, double) { return x < 99 ? 1 : 0; }));
    // An L: 8 by 3 and 3 by 5, 39 in all; the surfaces overlap on 0..6 by 0..10.
    TBoundary l{{{{1, 1}, {9, 1}, {9, 4}, {4, 4}, {4, 9}, {1, 9}}}};
    EXPECT_DOUBLE_EQ(PlanArea(l), 39);
    // Inside 0..6: 5 by 3 and 3 by 5.
    ExpectNear(Compare(ground.Model, raised.Model, &l), {0, 30, 0, 30, 30}, 30, 30);
    // A hole of 1 by 1.5, in the other direction, and the outer ring clockwise.
    TBoundary holed = l;
    std::reverse(holed.Rings[0].begin(), holed.Rings[0].end());
    holed.Rings.push_back({{2, 2}, {3, 2}, {3, 3.5}, {2, 3.5}});
    EXPECT_DOUBLE_EQ(PlanArea(holed), 37.5);
    ExpectNear(Compare(ground.Model, raised.Model, &holed), {0, 28.5, 0, 28.5, 28.5}, 30, 30);
    // Against a level, the boundary alone bounds the model: all of the L is on the model.
    ExpectNear(CompareVolumes(ground.Model.Triangles(), {nullptr, -2}, &l), {78, 0, 39, 0, 39}, 78,
               39);
    EXPECT_EQ(BoundaryProblem(l), "");
    EXPECT_EQ(BoundaryProblem(holed), "");
    EXPECT_NE(BoundaryProblem({{{{0, 0}, {1, 1}, {2, 2}}}}), "");
    EXPECT_NE(BoundaryProblem({{{{0, 0}, {1, 0}}}}), "");
    EXPECT_NE(BoundaryProblem({{{{0, 0}, {1, 0}, {0, std::nan("")}}}}), "");
}

TEST(OverlayVolumesTest, PolygonsThatCrossThemselvesOrWhoseHolesStrayAreRefused) {
    const std::vector<TPlanPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const struct {
        TBoundary Polygon;
        std::string Problem; // the start of the message, with the place
    } cases[] = {
        // A bow tie, whose lobes would count with opposite signs.
        {{{{{0, 0}, {10, 10}, {10, 0}, {0, 10}}}}, "the polygon crosses itself at (5, 5)"},
        // A ring that touches itself at a corner, and one that runs back along a side.
        {{{{{0, 0}, {10, 0}, {5, 5}, {10, 10}, {0, 10}, {5, 5}}}},
         "the polygon crosses itself at (5, 5)"},
        {{{{{0, 0}, {10, 0}, {10, 5}, {4, 5}, {10, 5}, {10, 10}, {0, 10}}}},
         "the polygon crosses itself at (10, 5)"},
        {{{{{0, 0}, {10, 0}, {10, 10}, {5, 10}, {5, 15}, {5, 10}, {0, 10}}}},
         "the polygon crosses itself at (5, 10)"},
        {{{square, {{8, 4}, {12, 4}, {12, 6}, {8, 6}}}}, "the polygon's rings cross at (10, 4)"},
        {{{square, {{20, 4}, {22, 4}, {22, 6}}}},
         "a hole of the polygon lies outside its outer ring, at (20, 4)"},
        {{{square, {{1, 1}, {6, 1}, {6, 6}, {1, 6}}, {{2, 2}, {3, 2}, {3, 3}}}},
         "holes of the polygon overlap, at (2, 2)"},
    };
    // Areas side by side, or one in another's hole, are one boundary; overlapping ones are not.
    const std::vector<TPlanPoint> hole{{2, 2}, {8, 2}, {8, 8}, {2, 8}},
        island{{3, 3}, {7, 3}, {7, 7}, {3, 7}}, beside{{10, 0}, {20, 0}, {20, 10}};
    const struct {
        TBoundary Polygon;
        double Area;
        TPlanPoint Inside, Outside;
        std::string Problem;
    } areas[] = {
        {{{square, beside}, {1}}, 150, {15, 2}, {15, 8}, ""},
        {{{square, hole, island}, {2}}, 100 - 36 + 16, {5, 5}, {2.5, 5}, ""},
        {{{square, {{4, 4}, {6, 4}, {6, 6}}}, {1}},
         0,
         {},
         {},
         "areas of the polygon overlap, at (4, 4)"},
        {{{square, hole, {{0.5, 0.5}, {1.5, 0.5}, {1.5, 1.5}}}, {2}},
         0,
         {},
         {},
         "areas of the polygon overlap, at (0.5, 0.5)"},
        {{{square, square}, {1}}, 0, {}, {}, "areas of the polygon overlap, at (0, 0)"},
    };
    for (const auto& c : areas) {
        EXPECT_EQ(BoundaryProblem(c.Polygon), c.Problem);
        if (c.Problem.empty()) {
            EXPECT_DOUBLE_EQ(PlanArea(c.Polygon), c.Area);
            EXPECT_TRUE(BoundaryHolds(c.Polygon, c.Inside));
            EXPECT_FALSE(BoundaryHolds(c.Polygon, c.Outside));
        }
    }
    for (const auto& c : cases)
        EXPECT_EQ(BoundaryProblem(c.Polygon), c.Problem);
    // A hole that touches the outer ring at a corner is allowed, as GIS programs allow it.
    EXPECT_EQ(BoundaryProblem({{square, {{0, 0}, {3, 1}, {1, 3}}}}), "");
}

TEST(OverlayVolumesTest, RoughSurfacesAgreeWithTheSharedTriangulationToTheNinthDigit) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> height(90, 140);
    TModelData model = SurfaceModel(24, 18, 10, [&](double, double) { return height(random); });
    TModelData comparison = model;
    for (size_t i = 0; i < model.Vertices.size(); ++i) {
        auto &m = model.Vertices[i], &c = comparison.Vertices[i];
        m.Easting = c.Easting += 512000; // survey coordinates
        m.Northing = c.Northing += 6841000;
        c.Value = random() % 4 == 0 ? m.Value : height(random); // some corners on the zero line
    }
    const TLoaded a(model), b(Quartered(comparison, 3));
    const TVolumes want = OnSharedTriangles(model, comparison);
    ExpectNear(Compare(a.Model, b.Model), want, want.Fill + want.Cut, want.Area);
    // Within a boundary and outside it (the model's square with the boundary as its hole), the
    // parts add up to the whole: a star of 40 corners with random reach, deeply non-convex.
    TBoundary star{{{}}};
    for (int k = 0; k < 40; ++k) {
        const double angle = 2 * M_PI * k / 40, reach = 20 + double(random() % 60);
        star.Rings[0].push_back(
            {512120 + reach * std::cos(angle), 6841090 + reach * std::sin(angle)});
    }
    TBoundary outside{{{{512000, 6841000}, {512240, 6841000}, {512240, 6841180}, {512000, 6841180}},
                       star.Rings[0]}};
    const TVolumes in = Compare(a.Model, b.Model, &star), out = Compare(a.Model, b.Model, &outside);
    EXPECT_NEAR(in.Area, PlanArea(star), 1e-9 * want.Area);
    const TVolumes sum{in.Cut + out.Cut, in.Fill + out.Fill, in.CutArea + out.CutArea,
                       in.FillArea + out.FillArea, in.Area + out.Area};
    ExpectNear(sum, want, want.Fill + want.Cut, want.Area);
}

TEST(OverlayVolumesTest, BrokenTrianglesOfEitherSurfaceCountForNothing) {
    TModelData data;
    data.Vertices = {{0, 0, 0},  {10, 0, 0},           {0, 10, 0},
                     {20, 0, 0}, {5, 5, std::nan("")}, {1e308, 0, 0}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, -1}},  // 50 of plan area
                      {{1, 2, 4}, {-1, -1, -1}},  // collinear: no area
                      {{1, 2, 5}, {-1, -1, -1}},  // an elevation that is no number
                      {{1, 6, 3}, {-1, -1, -1}}}; // an area beyond a double
    TModelData higher = data;
    for (auto& v : higher.Vertices)
        v.Value += 1;
    const TLoaded a(data), b(higher);
    const TVolumes v = Compare(a.Model, b.Model);
    EXPECT_DOUBLE_EQ(v.Fill, 50);
    EXPECT_DOUBLE_EQ(v.Area, 50);
}

// Every piece as numbers, in the order the overlay tells them.
struct TPieceRecorder : TOverlayVisitor {
    void Piece(const TPiece& piece, const TPlane& model, const TPlane* surface,
               int weight) override {
        Numbers.insert(Numbers.end(), {double(piece.Count), piece.Origin.X, piece.Origin.Y,
                                       model.Z0, surface->Z0, surface->GradientX, double(weight)});
        for (int i = 0; i < piece.Count; ++i)
            Numbers.insert(Numbers.end(), {piece.P[i].X, piece.P[i].Y});
    }
    std::vector<double> Numbers;
};

TEST(OverlayVolumesTest, TheSurfaceBoxesTurnAwayOnlyWhatItsCornersWould) {
    // Survey coordinates, where the corners relative to a piece's origin are rounded.
    std::mt19937 random(9);
    std::uniform_real_distribution<double> height(90, 140);
    const auto rough = [&](double, double) { return height(random); };
    const TModelData data = Shifted(SurfaceModel(30, 20, 0.7, rough), 512000.1, 6841000.3);
    const TLoaded a(data), b(Quartered(data, 4)); // boxes that touch the pieces' exactly
    const TTriangles& model = a.Model.Triangles();
    TPieceRecorder shortcut, direct;
    const TSurfaceBoxes boxes(b.Model.Triangles());
    OverlayTriangles(model, 0, model.Count(), &b.Model, &boxes, nullptr, shortcut);
    OverlayTriangles(model, 0, model.Count(), &b.Model, nullptr, nullptr, direct);
    EXPECT_GT(shortcut.Numbers.size(), 10000u);
    EXPECT_TRUE(shortcut.Numbers == direct.Numbers);
}
