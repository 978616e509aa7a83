// The 3D view's geometry: the camera's rays and projections, the tiles of the level of detail
// and picking, checked against independent computations.
#include "SurfaceModel.h"
#include "TerrainGenerator.h"
#include "model/Geometry.h"
#include "platform/Streams.h"
#include "view3d/DrapedLines.h"
#include "view3d/OrbitCamera.h"
#include "view3d/TerrainPick.h"
#include "view3d/TerrainTiles.h"
#include "vrk/VRKModel.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <tuple>

namespace {
constexpr int Width = 1000, Height = 800;

double PixelDistance(const TOrbitCamera& camera, TVec3 point, double x, double y) {
    double px = 0, py = 0;
    EXPECT_TRUE(camera.Project(point, Width, Height, px, py));
    return std::hypot(px - x, py - y);
}

std::unique_ptr<TVandrelTINModel> Terrain(int columns, int rows, double cell, uint32_t seed = 1) {
    auto model = std::make_unique<TVandrelTINModel>();
    TMemoryStream stream(WriteModel(GenerateTerrain(columns, rows, cell, seed, 5e5, 6e6)));
    model->ReadFromStream(stream);
    return model;
}
} // namespace

TEST(OrbitCameraTest, RaysAndProjectionsAgreeAndTurnsKeepTheirPivotInPlace) {
    TOrbitCamera camera;
    camera.Frame({-500, -300, -20}, {500, 300, 40});
    // Every corner of the framed box is on the screen.
    for (int corner = 0; corner < 8; ++corner) {
        const TVec3 p{corner & 1 ? 500.0 : -500.0, corner & 2 ? 300.0 : -300.0,
                      corner & 4 ? 40.0 : -20.0};
        double x, y;
        ASSERT_TRUE(camera.Project(p, Width, Height, x, y));
        EXPECT_TRUE(x >= 0 && x < Width && y >= 0 && y < Height) << corner;
    }
    // A point along the ray through a pixel projects back onto that pixel.
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {999.0, 799.0}, {123.0, 456.0}}) {
        const TRay ray = camera.RayThrough(x, y, Width, Height);
        EXPECT_NEAR(Dot(ray.Direction, ray.Direction), 1, 1e-12);
        EXPECT_LT(PixelDistance(camera, ray.Origin + ray.Direction * 700, x, y), 1e-6);
    }
    // Orbiting about a pivot and zooming toward a point leave them at their pixels.
    const TVec3 pivot{120, -80, 10};
    double px, py;
    ASSERT_TRUE(camera.Project(pivot, Width, Height, px, py));
    camera.OrbitAbout(pivot, 37, -12);
    EXPECT_LT(PixelDistance(camera, pivot, px, py), 1e-6);
    EXPECT_NEAR(camera.Azimuth(), 237, 1e-9);
    EXPECT_NEAR(camera.Elevation(), 23, 1e-9);
    camera.OrbitAbout(pivot, -300, 80); // the elevation stops short of the vertical
    EXPECT_LT(PixelDistance(camera, pivot, px, py), 1e-6);
    EXPECT_LT(camera.Elevation(), 90);
    const double before = camera.Distance();
    camera.ZoomToward(pivot, 0.5);
    EXPECT_LT(PixelDistance(camera, pivot, px, py), 1e-6);
    EXPECT_NEAR(camera.Distance(), before / 2, 1e-9);
}

TEST(TerrainTilesTest, EveryDrawableTriangleIsInExactlyOneLeafAndGridsCarryTheSurface) {
    auto model = Terrain(300, 200, 2); // 120,000 triangles: several levels of tiles
    TTerrainTiles tiles(*model);
    ASSERT_GT(tiles.Levels(), 2);
    // Each triangle's corners, as a multiset, against the model's own.
    std::map<std::array<uint32_t, 3>, int> expected, found;
    for (int i = 0; i < model->Triangles().Count(); ++i) {
        const TTriangle* t = model->Triangles().TriangleAt(i);
        ++expected[{uint32_t(t->Vertex(1)->Number - 1), uint32_t(t->Vertex(2)->Number - 1),
                    uint32_t(t->Vertex(3)->Number - 1)}];
    }
    int64_t corners = 0;
    for (const TTile& tile : tiles.Tiles()) {
        if (!tile.Leaf) {
            EXPECT_EQ(tile.CornerCount, 0);
            continue;
        }
        corners += tile.CornerCount;
        for (int64_t c = tile.FirstCorner; c < tile.FirstCorner + tile.CornerCount; c += 3) {
            const auto& v = tiles.Corners();
            ++found[{v[size_t(c)], v[size_t(c) + 1], v[size_t(c) + 2]}];
            // The triangle's centre is in the leaf's box.
            double cx = 0, cy = 0;
            for (int k = 0; k < 3; ++k) {
                cx += tiles.Positions()[v[size_t(c + k)] * 3] / 3.0;
                cy += tiles.Positions()[v[size_t(c + k)] * 3 + 1] / 3.0;
            }
            ASSERT_TRUE(cx >= tile.MinX - 1e-3 && cx <= tile.MaxX + 1e-3 &&
                        cy >= tile.MinY - 1e-3 && cy <= tile.MaxY + 1e-3);
        }
    }
    EXPECT_EQ(corners, int64_t(model->Triangles().Count()) * 3);
    EXPECT_EQ(found, expected);

    // Grid points carry the surface of the triangle the scan finds there (its plane, worked out
    // here by barycentric weights), also on the columns through vertices; holes where no
    // triangle is.
    auto plane = [](const TTriangle& t, double x, double y) {
        const TTriVertex &a = *t.Vertex(1), &b = *t.Vertex(2), &c = *t.Vertex(3);
        const double area = (b.Easting - a.Easting) * (c.Northing - a.Northing) -
                            (c.Easting - a.Easting) * (b.Northing - a.Northing);
        const double wb = ((x - a.Easting) * (c.Northing - a.Northing) -
                           (c.Easting - a.Easting) * (y - a.Northing)) /
                          area;
        const double wc = ((b.Easting - a.Easting) * (y - a.Northing) -
                           (x - a.Easting) * (b.Northing - a.Northing)) /
                          area;
        return a.Value + wb * (b.Value - a.Value) + wc * (c.Value - a.Value);
    };
    tiles.SampleGrids(*model, nullptr);
    EXPECT_EQ(tiles.ReadyLevels(), tiles.Levels());
    const auto& grid = tiles.GridPoints();
    int holes = 0;
    for (size_t tile = 0; tile < tiles.Tiles().size(); tile += 3)
        for (int p = 0; p < (TTerrainTiles::GridCells + 1) * (TTerrainTiles::GridCells + 1);
             p += 7) {
            const float* point = &grid[(tile * TTerrainTiles::GridVertices + size_t(p)) * 4];
            double value = 0;
            const TTriangle* t = model->FindTriangleByScan(point[0] + tiles.CentreE,
                                                           point[1] + tiles.CentreN, value);
            if (!t) {
                EXPECT_EQ(point[3], 0.0f);
                ++holes;
                continue;
            }
            EXPECT_EQ(point[3], 1.0f);
            EXPECT_NEAR(point[2] + tiles.CentreZ,
                        plane(*t, point[0] + tiles.CentreE, point[1] + tiles.CentreN), 1e-3);
        }
    EXPECT_LT(holes, 50);
}

TEST(TerrainTilesTest, SkirtsHangOnlyAsFarAsACrackCanOpen) {
    // On a plane no grid departs from the surface: no skirt hangs; on terrain a skirt hangs
    // at most the tile's relief and a cell.
    auto plane = std::make_unique<TVandrelTINModel>();
    TMemoryStream stream(
        WriteModel(SurfaceModel(300, 200, 2, [](double x, double y) { return 0.25 * x - y; })));
    plane->ReadFromStream(stream);
    const auto terrain = Terrain(300, 200, 2);
    for (const TVandrelTINModel* model : {plane.get(), terrain.get()}) {
        TTerrainTiles tiles(*model);
        tiles.SampleGrids(*model, nullptr);
        const auto& grid = tiles.GridPoints();
        const int skirt = (TTerrainTiles::GridCells + 1) * (TTerrainTiles::GridCells + 1);
        double deepest = 0;
        for (size_t t = 0; t < tiles.Tiles().size(); ++t) {
            const TTile& tile = tiles.Tiles()[t];
            const float* points = &grid[t * TTerrainTiles::GridVertices * 4];
            for (int k = skirt; k < TTerrainTiles::GridVertices; ++k) {
                const float* bottom = points + k * 4;
                if (bottom[3] == 0)
                    continue;
                // The top of this skirt point: the grid point above it.
                double top = NAN;
                for (int g = 0; g < skirt; ++g)
                    if (points[g * 4] == bottom[0] && points[g * 4 + 1] == bottom[1])
                        top = points[g * 4 + 2];
                ASSERT_FALSE(std::isnan(top));
                const double cell = (tile.MaxX - tile.MinX) / TTerrainTiles::GridCells;
                EXPECT_LE(top - bottom[2], tile.MaxZ - tile.MinZ + cell + 1e-3);
                deepest = std::max(deepest, top - double(bottom[2]));
            }
        }
        if (model == plane.get())
            EXPECT_LT(deepest, 1e-3) << "no curtain under a plane";
        else
            EXPECT_GT(deepest, 1e-3) << "cracks between levels are filled";
    }
}

TEST(TerrainTilesTest, AFrameStaysWithinItsBudgetAndIsExactNearTheEye) {
    auto model = Terrain(300, 200, 2);
    TTerrainTiles tiles(*model);
    TOrbitCamera camera;
    // Before the grids are sampled a frame can only draw the exact leaves.
    camera.Frame(tiles.Low(), tiles.High());
    TTileSelection before = tiles.Select(camera, Height, 1);
    EXPECT_TRUE(before.Grids.empty());
    EXPECT_EQ(before.Triangles, model->Triangles().Count());

    tiles.SampleGrids(*model, nullptr);
    const TTileSelection whole = tiles.Select(camera, Height, 1);
    EXPECT_EQ(whole.Triangles, model->Triangles().Count()) << "3 pixels a triangle: all exact";
    camera.SetView(camera.Target(), camera.Azimuth(), camera.Elevation(), camera.Distance() * 8);
    const TTileSelection far = tiles.Select(camera, Height, 1);
    EXPECT_LT(far.Triangles, model->Triangles().Count() / 4) << "far away: coarse grids";
    EXPECT_FALSE(far.Grids.empty());
    const TTileSelection small = tiles.Select(camera, Height, 1, 3, 5000);
    EXPECT_LE(small.Triangles, 5000);
    // Close to the ground, the tile under the eye is drawn exact.
    camera.SetView({0, 0, 0}, 30, 20, 15);
    const TTileSelection close = tiles.Select(camera, Height, 1);
    ASSERT_FALSE(close.Exact.empty());
    bool underEye = false;
    const TVec3 eye = camera.Eye();
    for (int t : close.Exact) {
        const TTile& tile = tiles.Tiles()[size_t(t)];
        underEye |=
            eye.X >= tile.MinX && eye.X <= tile.MaxX && eye.Y >= tile.MinY && eye.Y <= tile.MaxY;
    }
    EXPECT_TRUE(underEye);
}

// A single picture samples only the grids its frame draws: the frame, and those grids, are the
// ones every grid sampled gives.
TEST(TerrainTilesTest, APictureSamplesJustTheGridsItsFrameDraws) {
    auto model = Terrain(300, 200, 2);
    TTerrainTiles all(*model);
    all.SampleGrids(*model, nullptr);
    for (const double distance : {8.0, 2.0, 0.3}) {
        TOrbitCamera camera;
        camera.Frame(all.Low(), all.High());
        camera.SetView(camera.Target(), 30, 35, camera.Distance() * distance);
        TTerrainTiles picture(*model);
        const TTileSelection drawn = picture.SampleGridsFor(*model, camera, Height, 1);
        const TTileSelection want = all.Select(camera, Height, 1);
        EXPECT_EQ(drawn.Grids, want.Grids);
        EXPECT_EQ(drawn.Exact, want.Exact);
        EXPECT_EQ(picture.Select(camera, Height, 1).Grids, want.Grids) << "as the frame draws";
        constexpr size_t Floats = TTerrainTiles::GridVertices * 4;
        for (const int t : drawn.Grids)
            EXPECT_TRUE(std::equal(picture.GridPoints().data() + t * Floats,
                                   picture.GridPoints().data() + (t + 1) * Floats,
                                   all.GridPoints().data() + t * Floats));
        EXPECT_LT(drawn.Grids.size(), all.Tiles().size()) << "not every grid";
    }
}

TEST(TerrainPickTest, ThePickedTriangleIsTheNearestAlongTheRayAndThePlanLookUpsOwn) {
    auto model = Terrain(60, 40, 10, 7);
    TTerrainTiles tiles(*model);
    for (const double exaggeration : {1.0, 5.0}) {
        TOrbitCamera camera;
        TVec3 high = tiles.High();
        high.Z *= exaggeration;
        TVec3 low = tiles.Low();
        low.Z *= exaggeration;
        camera.Frame(low, high);
        camera.Orbit(65, 10);
        std::mt19937 random(5);
        std::uniform_real_distribution<double> x(0, Width), y(0, Height);
        int hits = 0;
        for (int i = 0; i < 300; ++i) {
            const TRay ray = camera.RayThrough(x(random), y(random), Width, Height);
            const TSurfaceHit hit = PickSurface(*model, tiles, ray, exaggeration);
            // Independently: every triangle met, by the plane through its corners.
            double nearest = INFINITY;
            for (int k = 0; k < model->Triangles().Count(); ++k) {
                const TTriangle* t = model->Triangles().TriangleAt(k);
                TVec3 c[3];
                for (int j = 0; j < 3; ++j)
                    c[j] = {t->Vertex(j + 1)->Easting - tiles.CentreE,
                            t->Vertex(j + 1)->Northing - tiles.CentreN,
                            (t->Vertex(j + 1)->Value - tiles.CentreZ) * exaggeration};
                const TVec3 normal = Cross(c[1] - c[0], c[2] - c[0]);
                const double along = Dot(c[0] - ray.Origin, normal) / Dot(ray.Direction, normal);
                const TVec3 p = ray.Origin + ray.Direction * along;
                // Inside: the same side of all three sides, in plan.
                auto side = [&](TVec3 a, TVec3 b) {
                    return (b.X - a.X) * (p.Y - a.Y) - (b.Y - a.Y) * (p.X - a.X);
                };
                const double s1 = side(c[0], c[1]), s2 = side(c[1], c[2]), s3 = side(c[2], c[0]);
                if (along > 0 &&
                    ((s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0)))
                    nearest = std::min(nearest, along);
            }
            if (!std::isfinite(nearest)) {
                EXPECT_EQ(hit.Triangle, nullptr);
                continue;
            }
            ASSERT_NE(hit.Triangle, nullptr);
            ++hits;
            const TVec3 expected = ray.Origin + ray.Direction * nearest;
            EXPECT_NEAR(hit.Scene.X, expected.X, 1e-6);
            EXPECT_NEAR(hit.Scene.Y, expected.Y, 1e-6);
            EXPECT_NEAR(hit.Scene.Z, expected.Z, 1e-6);
            double value = 0;
            EXPECT_EQ(model->FindTriangle(hit.Easting, hit.Northing, value), hit.Triangle);
            EXPECT_NEAR(value, hit.Value, 1e-6);
        }
        EXPECT_GT(hits, 30);
    }
}

TEST(DrapedLinesTest, ALineLaidOnTheGroundFollowsItAndBreaksWhereItLeavesTheModel) {
    auto model = Terrain(40, 30, 10, 3);
    TTerrainTiles tiles(*model);
    const double e = tiles.CentreE, n = tiles.CentreN;
    // From off the model, across it, off again, and back on.
    const std::vector<TPlanPoint> line{
        {e - 400, n - 10}, {e + 100, n + 40}, {e + 400, n + 60}, {e + 150, n - 20}};
    const std::vector<TLine3D> parts = DrapeLine(*model, line, 0xFFFF0000);
    ASSERT_EQ(parts.size(), 2u);
    for (const TLine3D& part : parts) {
        EXPECT_EQ(part.Colour, 0xFFFF0000);
        // Points on the model's outer sides may fall outside every triangle by the rule of
        // containment; the others carry the surface's value.
        size_t found = 0;
        for (const TVec3& p : part.Points) {
            double value = 0;
            if (!model->FindTriangle(p.X, p.Y, value))
                continue;
            ++found;
            EXPECT_NEAR(p.Z, value, 1e-9 * std::abs(value) + 1e-9);
        }
        EXPECT_GE(found + 2, part.Points.size());
        // Between two points the line is straight on one triangle: its middle is on the ground.
        for (size_t i = 1; i < part.Points.size(); ++i) {
            const TVec3 mid = (part.Points[i - 1] + part.Points[i]) * 0.5;
            double value = 0;
            if (model->FindTriangle(mid.X, mid.Y, value)) {
                EXPECT_NEAR(mid.Z, value, 1e-6);
            }
        }
    }
    EXPECT_TRUE(DrapeLine(*model, {{e, n}, {e, n}}, 0).empty()) << "no length";

    const std::vector<TContourLine> contours{{100, false, false, {{1, 2}, {3, 4}}}};
    const std::vector<TLine3D> lines = ContourLines3D(contours, 0xFF123456);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points.size(), 2u);
    EXPECT_EQ(lines[0].Points[1].Z, 100);
}

TEST(TerrainTilesTest, EmptyModelsAndCornersThatAreNotFiniteDrawAndPickNothing) {
    TTriangleMesh empty;
    TTerrainTiles none(empty);
    none.SampleGrids(empty, nullptr);
    TOrbitCamera camera;
    camera.Frame(none.Low(), none.High());
    EXPECT_EQ(none.Select(camera, Height, 1).Triangles, 0);
    EXPECT_EQ(PickSurface(empty, none, camera.RayThrough(500, 400, Width, Height), 1).Triangle,
              nullptr);

    // Two good triangles, one with an elevation that is not a number, one at infinity.
    TTriangleMesh mesh;
    auto vertex = [&](double e, double n, double z) {
        TTriVertex* v = mesh.Vertices().CreateVertex(e, n, z);
        mesh.Vertices().Add(v);
        v->Number = mesh.Vertices().Count();
        return v;
    };
    TTriVertex *a = vertex(0, 0, 1), *b = vertex(10, 0, 2), *c = vertex(0, 10, 3),
               *d = vertex(10, 10, 4), *bad = vertex(5, 5, NAN), *far = vertex(INFINITY, 0, 0);
    for (auto [p, q, r] : {std::tuple{a, b, c}, {b, d, c}, {a, b, bad}, {c, d, far}})
        mesh.Triangles().Add(mesh.Triangles().CreateTriangle(p, q, r));
    TTerrainTiles tiles(mesh);
    EXPECT_EQ(tiles.Corners().size(), 6u) << "only the two drawable triangles";
    EXPECT_EQ(tiles.High().X - tiles.Low().X, 10) << "the extent of the finite vertices";
    tiles.SampleGrids(mesh, nullptr);
    camera.Frame(tiles.Low(), tiles.High());
    const TSurfaceHit hit =
        PickSurface(mesh, tiles, camera.RayThrough(Width / 2.0, Height / 2.0, Width, Height), 1);
    ASSERT_NE(hit.Triangle, nullptr);
    EXPECT_TRUE(hit.Triangle == mesh.Triangles().Triangle(0) ||
                hit.Triangle == mesh.Triangles().Triangle(1));
}

TEST(TerrainTilesTest, TheExtentIsThatOfEveryFiniteVertexWhicheverCoreReadsIt) {
    // Enough vertices to be shared out over the cores; the extremes at either end.
    constexpr int Count = 250000;
    for (bool lowFirst : {true, false}) {
        TTriangleMesh mesh;
        for (int i = 0; i < Count; ++i) {
            const double t = lowFirst ? i : Count - i;
            TTriVertex* v = mesh.Vertices().CreateVertex(1e6 + t, 2e6 - 2 * t, i % 2 ? NAN : t);
            mesh.Vertices().Add(v);
            v->Number = i + 1;
        }
        TTerrainTiles tiles(mesh);
        // Finite vertices are the even ones: t from 0 (or 2) to Count - 2 (or Count).
        const double low = lowFirst ? 0 : 2, high = lowFirst ? Count - 2 : Count;
        EXPECT_EQ(tiles.CentreE, 1e6 + (low + high) / 2) << lowFirst;
        EXPECT_EQ(tiles.CentreN, 2e6 - (low + high)) << lowFirst;
        EXPECT_EQ(tiles.High().X - tiles.Low().X, high - low) << lowFirst;
        EXPECT_EQ(tiles.High().Y - tiles.Low().Y, 2 * (high - low)) << lowFirst;
    }
}
