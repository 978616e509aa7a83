// The health check's tests, their order and thresholds, on meshes made for each problem.
#include "inspect/HealthCheck.h"
#include "TerrainGenerator.h"
#include "model/Geometry.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {
struct TRow {
    QString Entity, Problem;
    TTriangle* Triangle;
};

class TRecordedReport : public THealthReport {
public:
    void AddProblem(const QString& entity, const QString& problem, TTriangle* triangle) override {
        Rows.push_back({entity, problem, triangle});
    }
    std::vector<TRow> Rows;
};

// A model read from data, so that numbers and header are as a file gives them.
struct TCheckedModel {
    explicit TCheckedModel(const TModelData& data,
                           const std::function<void(TVRKHeader&)>& patch = {},
                           const TWriteOptions& options = {}) {
        std::vector<char> bytes = WriteModel(data, options);
        if (patch)
            PatchHeader(bytes, patch);
        TMemoryStream stream(bytes);
        Model.ReadFromStream(stream);
        Count = CheckModel(Model, Report);
    }
    QString ProblemOf(int triangleNumber) const {
        for (const TRow& row : Report.Rows)
            if (row.Entity == EntityText(ekTriangle, triangleNumber))
                return row.Problem;
        return "";
    }
    TVandrelTINModel Model;
    TRecordedReport Report;
    int Count = 0;
};

// One triangle over three vertices, with optional neighbours, plus far-away helper triangles.
TModelData Triangle(std::vector<TModelData::Vertex> vertices,
                    std::array<int32_t, 3> corners = {1, 2, 3},
                    std::array<int32_t, 3> neighbours = {-1, -1, -1}) {
    TModelData data;
    data.Vertices = std::move(vertices);
    data.Triangles = {{corners, neighbours}};
    return data;
}

// The triangle tests written one after another through the triangle's own geometry: the check
// reads each corner once and shares its sums between tests, and must still give these texts.
QString ReferenceTriangleProblem(const TTriangle& t) {
    const TTriVertex *v1 = t.Vertex(1), *v2 = t.Vertex(2), *v3 = t.Vertex(3);
    if (v1 == v2 || v1 == v3 || v2 == v3)
        return "Duplicate vertex index";
    if (VerticesCoincide(v1, v2, 0.0001) || VerticesCoincide(v1, v3, 0.0001) ||
        VerticesCoincide(v2, v3, 0.0001))
        return "Duplicate vertex coordinates";
    int shortestSide, longestSide;
    double shortest, longest;
    t.SideLengths(shortestSide, longestSide, shortest, longest);
    if (shortest == 0)
        return "Zero-length side";
    const double altitude = t.Area() / longest * 2;
    if (altitude < 0.000001)
        return "Zero-area triangle";
    for (int k = 1; k <= 3; ++k) {
        const TTriangle* n = t.Neighbour(k);
        if (!n)
            continue;
        if (n == &t)
            return "Neighbour is itself";
        if (n == t.Neighbour(NextSide(k)))
            return "Duplicate neighbours";
        const TTriVertex *a = t.Vertex(k), *b = t.Vertex(NextSide(k));
        if (n->Vertex(n->IndexOfVertex(a)) != a || n->Vertex(n->IndexOfVertex(b)) != b)
            return "Neighbour does not share points";
        if (t.CrossesNeighbour(k))
            return "Crossing triangles";
    }
    if (altitude / longest < 0.005)
        return "Thin triangle";
    return "";
}
} // namespace

TEST(HealthCheckTest, AGoodTerrainHasNoProblems) {
    TCheckedModel checked(GenerateTerrain(20, 15));
    EXPECT_EQ(checked.Count, 0);
    EXPECT_EQ(ProblemSummary(0), "0 problems found");
}

TEST(HealthCheckTest, VertexProblemsStopAtTheFirstTest) {
    // Same vertex reference twice: reported as such even though the area is zero too.
    EXPECT_EQ(TCheckedModel(Triangle({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {1, 1, 3}, {1, -1, -1}))
                  .ProblemOf(1),
              "Duplicate vertex index");
    // 0.005 apart in three dimensions coincide; 0.02 apart do not.
    EXPECT_EQ(TCheckedModel(Triangle({{0, 0, 0}, {0.003, 0, 0.004}, {0, 10, 0}})).ProblemOf(1),
              "Duplicate vertex coordinates");
    EXPECT_NE(TCheckedModel(Triangle({{0, 0, 0}, {0.02, 0, 0}, {0, 10, 0}})).ProblemOf(1),
              "Duplicate vertex coordinates");
    EXPECT_EQ(TCheckedModel(Triangle({{5, 5, 1}, {5, 5, 1}, {0, 10, 0}})).ProblemOf(1),
              "Duplicate vertex coordinates")
        << "never a zero-length side";
    EXPECT_EQ(TCheckedModel(Triangle({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}})).ProblemOf(1),
              "Zero-area triangle");
}

TEST(HealthCheckTest, ThinTrianglesByTheAltitudeOntoTheLongestSide) {
    EXPECT_EQ(TCheckedModel(Triangle({{0, 0, 0}, {100, 0, 0}, {50, 0.4, 0}})).ProblemOf(1),
              "Thin triangle");
    EXPECT_EQ(TCheckedModel(Triangle({{0, 0, 0}, {100, 0, 0}, {50, 0.6, 0}})).Count, 0);
}

TEST(HealthCheckTest, NeighbourTestsInOrder) {
    const std::vector<TModelData::Vertex> square = {
        {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {5, -5, 0}};
    {
        TModelData data = Triangle(square, {1, 2, 3}, {-1, 1, -1});
        EXPECT_EQ(TCheckedModel(data).ProblemOf(1), "Neighbour is itself");
    }
    {
        // N1 and N3 are the same proper neighbour across side 1; N2 is missing.
        TModelData data = Triangle(square, {1, 2, 3}, {2, -1, 2});
        data.Triangles.push_back({{2, 1, 5}, {1, -1, -1}});
        EXPECT_EQ(TCheckedModel(data).ProblemOf(1), "Duplicate neighbours");
    }
    {
        TModelData data = Triangle(square, {1, 2, 3}, {2, -1, -1});
        data.Triangles.push_back({{2, 4, 5}, {-1, -1, -1}}); // does not hold vertex 1
        EXPECT_EQ(TCheckedModel(data).ProblemOf(1), "Neighbour does not share points");
    }
    {
        // Folded over the common side 1-3: both apexes on the same side.
        TModelData data = Triangle(square, {1, 3, 4}, {2, -1, -1});
        data.Vertices.push_back({2, 8, 0});
        data.Triangles.push_back({{3, 1, 6}, {1, -1, -1}});
        TCheckedModel checked(data);
        EXPECT_EQ(checked.ProblemOf(1), "Crossing triangles");
        EXPECT_EQ(checked.ProblemOf(2), "Crossing triangles");
    }
    {
        // The neighbour's apex on the line of the common side: the triangle whose own apex is
        // left of the side is reported; the neighbour, whose apex is right, is not.
        TModelData data = Triangle(square, {1, 2, 3}, {2, -1, -1}); // side 1-2, apex (10,10) left
        data.Vertices.push_back({20, 0, 0});
        data.Triangles.push_back({{2, 1, 6}, {1, -1, -1}});
        TCheckedModel checked(data);
        EXPECT_EQ(checked.ProblemOf(1), "Crossing triangles");
        EXPECT_EQ(checked.ProblemOf(2), "Zero-area triangle")
            << "the neighbour, flat itself, fails an earlier test and never reaches this one";
    }
    {
        // The same neighbour beside a triangle whose apex is right of the side: no row.
        TModelData data = Triangle(square, {1, 2, 5}, {2, -1, -1}); // apex (5,-5), right of 1-2
        data.Vertices.push_back({20, 0, 0});
        data.Triangles.push_back({{2, 1, 6}, {1, -1, -1}});
        EXPECT_EQ(TCheckedModel(data).ProblemOf(1), "");
    }
}

TEST(HealthCheckTest, HeaderAndPointRowsComeFirstInTheirOrder) {
    TModelData data = GenerateTerrain(3, 2);
    TCheckedModel checked(data, [](TVRKHeader& h) {
        h.NorthingOffsetValue = h.MaximumNorthing + 0.001;
        h.EastingOffsetValue = h.MinimumEasting - 1;
        h.MinimumEasting += 5; // puts the vertices of the first column outside
    });
    ASSERT_GE(checked.Report.Rows.size(), 3u);
    EXPECT_EQ(checked.Report.Rows[0].Entity, "NorthingOffsetValue");
    EXPECT_EQ(checked.Report.Rows[0].Problem, "Outside header limits");
    EXPECT_EQ(checked.Report.Rows[1].Entity, "EastingOffsetValue");
    EXPECT_EQ(checked.Report.Rows[2].Entity, "Point 0");
    EXPECT_EQ(checked.Report.Rows[2].Problem, "Coordinates outside header limits");
    EXPECT_EQ(checked.Report.Rows[2].Triangle, nullptr);

    TWriteOptions offsetOnLimit;
    offsetOnLimit.NorthingOffset = 20; // the terrain's northings run from 0 to 20
    TCheckedModel onLimit(data, {}, offsetOnLimit);
    EXPECT_EQ(onLimit.Count, 0) << "a value equal to a limit is inside";
}

TEST(HealthCheckTest, TriangleRowsCarryTheirTriangleInCollectionOrder) {
    TModelData data = GenerateTerrain(3, 2);
    data.Triangles[4].Vertices[1] = data.Triangles[4].Vertices[0];
    data.Triangles[1].Neighbours[2] = 2; // itself
    TCheckedModel checked(data);
    ASSERT_GE(checked.Count, 2);
    EXPECT_EQ(checked.Report.Rows[0].Entity, "Triangle 2");
    EXPECT_EQ(checked.Report.Rows[0].Problem, "Neighbour is itself");
    EXPECT_EQ(checked.Report.Rows[0].Triangle, checked.Model.Triangles().Triangle(1));
    EXPECT_EQ(checked.ProblemOf(5), "Duplicate vertex index");
    for (size_t i = 1; i < checked.Report.Rows.size(); ++i)
        EXPECT_LT(checked.Report.Rows[i - 1].Triangle->Number,
                  checked.Report.Rows[i].Triangle->Number);
}

TEST(HealthCheckTest, CoordinatesThatAreNotFiniteLieOutsideTheLimitsAndValuesAreNotNumbers) {
    const double nan = std::nan(""), inf = INFINITY;
    TModelData data = GenerateTerrain(3, 2);
    data.Vertices[1].Easting = nan;
    data.Vertices[2].Northing = -inf;
    data.Vertices[3].Value = nan;
    data.Vertices[4].Value = inf;
    auto limitRows = [](const TCheckedModel& checked) {
        std::vector<QString> entities;
        for (const TRow& row : checked.Report.Rows)
            if (row.Problem.contains("outside header limits", Qt::CaseInsensitive))
                entities.push_back(row.Entity);
        return entities;
    };
    EXPECT_EQ(limitRows(TCheckedModel(data)), (std::vector<QString>{"Point 1", "Point 2"}));
    std::vector<QString> notNumbers;
    for (const TRow& row : TCheckedModel(data).Report.Rows)
        if (row.Problem == "Value is not a number")
            notNumbers.push_back(row.Entity);
    EXPECT_EQ(notNumbers, (std::vector<QString>{"Point 3", "Point 4"}));
    // The offsets are added to every coordinate, so all points go outside with them.
    const std::vector<QString> offsets =
        limitRows(TCheckedModel(GenerateTerrain(3, 2), [&](TVRKHeader& h) {
            h.NorthingOffsetValue = nan;
            h.EastingOffsetValue = inf;
        }));
    ASSERT_GE(offsets.size(), 2u);
    EXPECT_EQ(offsets[0], "NorthingOffsetValue");
    EXPECT_EQ(offsets[1], "EastingOffsetValue");
}

// The check shared over threads gives the rows of one thread, in their order, with every kind of
// problem planted through a model big enough to be shared, and on the damaged files' kinds.
TEST(HealthCheckTest, SharedOverThreadsTheRowsAreThoseOfOneThread) {
    TModelData data = GenerateTerrain(320, 200, 10, 4);
    std::mt19937 random(9);
    for (int k = 0; k < 400; ++k) {
        auto& t = data.Triangles[random() % data.Triangles.size()];
        switch (k % 7) {
        case 0: // a corner twice
            t.Vertices[1] = t.Vertices[0];
            break;
        case 1: // a neighbour that is the triangle itself, or one sharing no side
            t.Neighbours[0] = int32_t(random() % data.Triangles.size()) + 1;
            break;
        case 2: // the same neighbour twice
            t.Neighbours[1] = t.Neighbours[0];
            break;
        case 3: // a corner moved onto another: coincident coordinates
            data.Vertices[size_t(t.Vertices[2] - 1)] = data.Vertices[size_t(t.Vertices[0] - 1)];
            break;
        case 4: // a corner on the opposite side: zero area, or crossing its neighbours
            data.Vertices[size_t(t.Vertices[2] - 1)].Easting += 15 * (random() % 3);
            break;
        case 5: // a value that is no number
            data.Vertices[size_t(t.Vertices[1] - 1)].Value = std::nan("");
            break;
        default: // a point outside the header's limits
            data.Vertices[size_t(t.Vertices[0] - 1)].Northing += 1e6;
        }
    }
    TMemoryStream stream(WriteModel(data));
    TVandrelTINModel model;
    model.ReadFromStream(stream);
    ASSERT_GT(model.Triangles().Count(), 100000);
    TRecordedReport one;
    const int count = CheckModel(model, one, 1);
    EXPECT_GT(count, 300);
    std::set<QString> kinds;
    for (const TRow& row : one.Rows)
        kinds.insert(row.Problem);
    EXPECT_GE(kinds.size(), 7u) << "every kind of row planted";
    size_t row = 0;
    while (row < one.Rows.size() && one.Rows[row].Entity.startsWith("Point"))
        ++row;
    for (int i = 0; i < model.Triangles().Count(); ++i) {
        TTriangle* t = model.Triangles().Triangle(i);
        if (const QString problem = ReferenceTriangleProblem(*t); !problem.isEmpty()) {
            ASSERT_LT(row, one.Rows.size()) << "triangle " << t->Number << " not reported";
            EXPECT_EQ(one.Rows[row].Triangle, t);
            EXPECT_EQ(one.Rows[row].Problem, problem);
            ++row;
        }
    }
    EXPECT_EQ(row, one.Rows.size()) << "a row no test asks for";
    for (const int shares : {0, 2, 7}) {
        TRecordedReport shared;
        EXPECT_EQ(CheckModel(model, shared, shares), count);
        ASSERT_EQ(shared.Rows.size(), one.Rows.size());
        for (size_t i = 0; i < one.Rows.size(); ++i) {
            EXPECT_EQ(shared.Rows[i].Entity, one.Rows[i].Entity) << shares << ' ' << i;
            EXPECT_EQ(shared.Rows[i].Problem, one.Rows[i].Problem);
            EXPECT_EQ(shared.Rows[i].Triangle, one.Rows[i].Triangle);
        }
    }
}
