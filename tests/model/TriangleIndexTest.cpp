// The look-up index must give exactly the answer of the scan, whatever the mesh holds.
#include "TerrainGenerator.h"
#include "model/Geometry.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <thread>

namespace {
TTriVertex* AddVertex(TTriangleMesh& mesh, double e, double n, double value) {
    TTriVertex* v = mesh.Vertices().CreateVertex(e, n, value);
    mesh.Vertices().Add(v);
    return v;
}

void ExpectSameAnswers(const TTriangleMesh& mesh, double minX, double maxX, double minY,
                       double maxY, int samples, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> x(minX, maxX), y(minY, maxY);
    for (int i = 0; i < samples; ++i) {
        const double px = x(random), py = y(random);
        double indexed = -1, scanned = -1;
        TTriangle* found = mesh.FindTriangle(px, py, indexed);
        ASSERT_EQ(found, mesh.FindTriangleByScan(px, py, scanned)) << px << "," << py;
        ASSERT_EQ(indexed, scanned);
    }
}
} // namespace

TEST(TriangleIndexTest, AgreesWithTheScanOnOverlappingClockwiseAndDegenerateTriangles) {
    TTriangleMesh mesh;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(0, 100), size(0.1, 20);
    auto vertex = [&](double e, double n) { return AddVertex(mesh, e, n, e + n); };
    for (int i = 0; i < 3000; ++i) {
        const double e = coordinate(random), n = coordinate(random), s = size(random);
        // Random winding and overlapping triangles, with some degenerate ones among them.
        TTriVertex* a = vertex(e, n);
        TTriVertex* b = vertex(e + s, n + (i % 7 == 0 ? 0 : s / 3));
        TTriVertex* c = i % 50 == 0 ? vertex(e + 2 * s, n) : vertex(e + s / 2, n + s);
        if (i % 13 == 0)
            c = a; // a segment
        mesh.Triangles().Add(i % 2 ? mesh.Triangles().CreateTriangle(a, b, c)
                                   : mesh.Triangles().CreateTriangle(a, c, b));
    }
    ExpectSameAnswers(mesh, -10, 130, -10, 130, 20000, 1);
    // Points exactly on vertices and sides.
    for (int i = 0; i < mesh.Vertices().Count(); i += 7) {
        const TTriVertex* v = mesh.Vertices().Vertex(i);
        double a = 0, b = 0;
        ASSERT_EQ(mesh.FindTriangle(v->Easting, v->Northing, a),
                  mesh.FindTriangleByScan(v->Easting, v->Northing, b));
    }
}

TEST(TriangleIndexTest, AgreesWithTheScanOnTerrainAndSharedSides) {
    TVandrelTINModel model;
    TMemoryStream stream(WriteModel(GenerateTerrain(40, 30, 10, 3, 1e6, 5e6)));
    model.ReadFromStream(stream);
    ExpectSameAnswers(model, 1e6 - 20, 1e6 + 420, 5e6 - 20, 5e6 + 320, 20000, 2);
    double value = 0;
    EXPECT_EQ(model.FindTriangle(1e6 - 1, 5e6 - 1, value), nullptr);
    EXPECT_EQ(model.FindTriangle(NAN, 5e6, value), model.Triangles().Triangle(0))
        << "no comparison holds for such a point, so the first triangle contains it";
    // A grid line of the unjittered boundary lies on sides shared by two triangles.
    for (double x = 1e6; x <= 1e6 + 400; x += 2.5) {
        double a = 0, b = 0;
        ASSERT_EQ(model.FindTriangle(x, 5e6, a), model.FindTriangleByScan(x, 5e6, b));
    }
}

TEST(TriangleIndexTest, BuiltAheadItGivesTheSameAnswersAndGoesWhenTheModelChanges) {
    TVandrelTINModel model;
    TMemoryStream first(WriteModel(GenerateTerrain(120, 90, 10, 3, 1e6, 5e6)));
    model.ReadFromStream(first);
    model.BuildIndexAhead();
    const TTriangleIndex* whileBuilding = model.IndexUnlessBuilding(); // null or the index
    const std::shared_future<void> built = model.IndexAheadDone();
    ASSERT_TRUE(built.valid());
    std::thread([built] { built.wait(); }).join(); // as work queued behind the build does
    ExpectSameAnswers(model, 1e6 - 20, 1e6 + 1220, 5e6 - 20, 5e6 + 920, 5000, 3);
    EXPECT_EQ(model.IndexUnlessBuilding(), &model.Index()) << "once built it is always given";
    EXPECT_TRUE(!whileBuilding || whileBuilding == &model.Index());
    model.InvalidateIndex();
    EXPECT_FALSE(model.IndexAheadDone().valid()) << "nothing to wait for";

    // Read again while a build is under way: the new triangles are the ones found.
    model.BuildIndexAhead();
    TMemoryStream second(WriteModel(GenerateTerrain(40, 30, 10, 3, 0, 0)));
    model.ReadFromStream(second);
    double value = 0;
    EXPECT_EQ(model.FindTriangle(1e6 + 5, 5e6 + 5, value), nullptr);
    ExpectSameAnswers(model, -20, 420, -20, 320, 2000, 4);

    // A model freed while its index is being built waits for the build (the sanitizers would
    // see a thread reading freed triangles).
    auto dropped = std::make_unique<TVandrelTINModel>();
    TMemoryStream third(WriteModel(GenerateTerrain(200, 200, 10)));
    dropped->ReadFromStream(third);
    dropped->BuildIndexAhead();
    dropped.reset();
}

TEST(TriangleIndexTest, EmptyMeshFindsNothingAndLeavesTheValue) {
    TTriangleMesh mesh;
    double value = 42;
    EXPECT_EQ(mesh.FindTriangle(1, 2, value), nullptr);
    EXPECT_EQ(value, 42);
}

TEST(TriangleIndexTest, IsRebuiltAfterTheModelIsReadAgain) {
    TVandrelTINModel model;
    TMemoryStream first(WriteModel(GenerateTerrain(4, 4, 10)));
    model.ReadFromStream(first);
    double value = 0;
    ASSERT_NE(model.FindTriangle(5, 5, value), nullptr);
    TMemoryStream second(WriteModel(GenerateTerrain(4, 4, 10, 1, 1000, 1000)));
    model.ReadFromStream(second);
    EXPECT_EQ(model.FindTriangle(5, 5, value), nullptr);
    EXPECT_NE(model.FindTriangle(1005, 1005, value), nullptr);
}

TEST(TriangleIndexTest, ATriangleWithACornerThatIsNotFiniteHoldsNoPoint) {
    TTriangleMesh mesh;
    auto vertex = [&](double e, double n) { return AddVertex(mesh, e, n, 5); };
    TTriVertex* broken = vertex(std::nan(""), 0);
    TTriVertex* far = vertex(INFINITY, 0);
    TTriVertex *a = vertex(0, 0), *b = vertex(10, 0), *c = vertex(0, 10);
    mesh.Triangles().Add(mesh.Triangles().CreateTriangle(broken, b, c)); // first in order
    mesh.Triangles().Add(mesh.Triangles().CreateTriangle(a, far, c));
    TTriangle* good = mesh.Triangles().CreateTriangle(a, b, c);
    mesh.Triangles().Add(good);
    for (auto [x, y] : {std::pair{2.0, 2.0}, {500.0, -300.0}, {-1e9, 1e9}}) {
        double value = 0, scanned = 0;
        const TTriangle* found = mesh.FindTriangle(x, y, value);
        EXPECT_EQ(found, mesh.FindTriangleByScan(x, y, scanned));
        if (x == 2.0) {
            EXPECT_EQ(found, good) << "the first triangle whose corners are all finite";
            EXPECT_DOUBLE_EQ(value, 5);
        } else {
            EXPECT_EQ(found, nullptr) << x << ", " << y << " is on no good triangle";
        }
    }
}

TEST(TriangleIndexTest, AgreesWithTheScanAtTheEndsOfTheDoubleRange) {
    // Triangles of every size, from metres to the largest doubles, around the origin and at both
    // ends of the range: spans, margins and the containment test's products overflow there.
    TTriangleMesh mesh;
    auto vertex = [&](double e, double n) { return AddVertex(mesh, e, n, 1); };
    const double top = std::numeric_limits<double>::max();
    auto triangle = [&](double e, double n, double size) {
        mesh.Triangles().Add(mesh.Triangles().CreateTriangle(vertex(e, n), vertex(e + size, n),
                                                             vertex(e, n + size)));
    };
    triangle(-top, -top, 1e300);
    triangle(top - 1e300, top - 1e300, 1e300 / 2);
    triangle(-1e308, 1e308, 5e307);
    triangle(-10, -10, 20);
    triangle(1e200, -1e200, 1e199);
    triangle(-top, -top, top); // reaches from one end past the middle
    // Small triangles of every orientation: at a far point their side tests overflow, and a
    // test that gives no number fails, which can put the far point inside them.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> near(-100, 100);
    for (int i = 0; i < 300; ++i)
        mesh.Triangles().Add(mesh.Triangles().CreateTriangle(vertex(near(random), near(random)),
                                                             vertex(near(random), near(random)),
                                                             vertex(near(random), near(random))));
    ExpectSameAnswers(mesh, -top, top, -top, top, 5000, 3);
    ExpectSameAnswers(mesh, -1e301, 1e301, -1e301, 1e301, 2000, 4);
    ExpectSameAnswers(mesh, -120, 120, -120, 120, 5000, 5);
    for (double x : {1e308, -1e308, top, -top, 0.0})
        for (double y : {1e308, -1e308, top, -top, 0.0}) {
            double a = 0, b = 0;
            EXPECT_EQ(mesh.FindTriangle(x, y, a), mesh.FindTriangleByScan(x, y, b))
                << x << ", " << y;
        }
    double value = 0;
    EXPECT_NE(mesh.FindTriangle(-1e308, -1e308, value), nullptr) << "the scan finds one here";
}

// Big enough to be built, and scanned, on every core: long and degenerate triangles planted on
// both sides of the shares' border must come in collection order all the same.
TEST(TriangleIndexTest, SharedOverCoresTheAnswersAreTheScansAndAFewPointsNeedNoIndex) {
    TModelData data = GenerateTerrain(300, 200, 10, 3, 1e6, 5e6);
    std::mt19937 random(5);
    for (int k = 0; k < 300; ++k) {
        auto& t = data.Triangles[random() % data.Triangles.size()];
        if (k % 2)
            t.Vertices[2] = t.Vertices[0]; // a segment, which holds its whole line
        else                               // a sliver across much of the model
            t.Vertices[2] = int32_t(random() % data.Vertices.size()) + 1;
    }
    TVandrelTINModel model;
    TMemoryStream stream(WriteModel(data));
    model.ReadFromStream(stream);
    ASSERT_GT(model.Triangles().Count(), 100000);

    std::vector<std::pair<double, double>> points;
    std::uniform_real_distribution<double> x(1e6 - 50, 1e6 + 3050), y(5e6 - 50, 5e6 + 2050);
    for (int i = 0; i < 400; ++i)
        points.emplace_back(x(random), y(random));
    points.emplace_back(NAN, 5e6);
    points.emplace_back(1e6 - 1000, 5e6 - 1000);
    for (int i = 0; i < model.Vertices().Count(); i += 997)
        points.emplace_back(model.Vertices().Vertex(i)->Easting,
                            model.Vertices().Vertex(i)->Northing);
    auto expectTheScans = [&](const std::vector<std::pair<double, double>>& asked) {
        const auto found = model.FindTriangles(asked);
        ASSERT_EQ(found.size(), asked.size());
        for (size_t p = 0; p < asked.size(); ++p) {
            double value = -1;
            ASSERT_EQ(found[p].Triangle,
                      model.FindTriangleByScan(asked[p].first, asked[p].second, value))
                << asked[p].first << ',' << asked[p].second;
            if (found[p].Triangle) {
                ASSERT_EQ(found[p].Value, value);
            }
        }
    };
    // A few points at a time: one pass, no index.
    for (size_t p = 0; p + 3 <= 60; p += 3)
        expectTheScans({points[p], points[p + 1], points[p + 2]});
    expectTheScans({points[points.size() - 3], points[points.size() - 2]});
    // Many points: through the index, then the index answers one point too.
    expectTheScans(points);
    expectTheScans({points[0]});
    for (const auto& [e, n] : points) {
        double indexed = -1, scanned = -1;
        ASSERT_EQ(model.FindTriangle(e, n, indexed), model.FindTriangleByScan(e, n, scanned));
        if (std::isfinite(e)) {
            ASSERT_EQ(indexed, scanned);
        }
    }
}

// The grid is laid over the mesh's vertices; a triangle with a corner that is not among them
// lies beyond it, and the grid is laid again over the triangles.
TEST(TriangleIndexTest, ATriangleWithACornerOutsideTheCollectionIsStillFound) {
    TTriangleMesh mesh;
    for (int i = 0; i < 100; ++i) {
        const double e = i % 10 * 10, n = i / 10 * 10;
        mesh.Triangles().Add(mesh.Triangles().CreateTriangle(AddVertex(mesh, e, n, 0),
                                                             AddVertex(mesh, e + 10, n, 0),
                                                             AddVertex(mesh, e, n + 10, 0)));
    }
    TTriVertex stray(500, 400, 7);
    mesh.Triangles().Add(mesh.Triangles().CreateTriangle(mesh.Vertices().Vertex(1), &stray,
                                                         mesh.Vertices().Vertex(2)));
    double value = 0;
    EXPECT_EQ(mesh.FindTriangle(450, 360, value), mesh.Triangles().Triangle(100));
    ExpectSameAnswers(mesh, -10, 510, -10, 410, 5000, 6);
}
