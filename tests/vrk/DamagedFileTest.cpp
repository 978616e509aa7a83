// Damaged files: every one gets its message, leaves the model in a sound state, and never makes
// the reader allocate out of proportion to the file.
#include "TerrainGenerator.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {
constexpr char Bounds[] = "List index out of bounds (";

std::string ReadError(TVandrelTINModel& model, const std::vector<char>& bytes) {
    TMemoryStream stream(bytes);
    try {
        model.ReadFromStream(stream);
    } catch (const Exception& error) {
        return error.Message();
    }
    return "read";
}

std::string ReadError(const std::vector<char>& bytes) {
    TVandrelTINModel model;
    return ReadError(model, bytes);
}

std::vector<char> Small() {
    return WriteModel(GenerateTerrain(3, 2));
}

std::vector<char> Patched(std::vector<char> bytes, const std::function<void(TVRKHeader&)>& change) {
    PatchHeader(bytes, change);
    return bytes;
}

void ExpectEmpty(const TVandrelTINModel& model) {
    EXPECT_EQ(model.Vertices().Count(), 0);
    EXPECT_EQ(model.Triangles().Count(), 0);
    EXPECT_EQ(model.Edges.Count(), 0);
    EXPECT_EQ(model.StartPoints.Count(), 0);
    EXPECT_EQ(model.InternalName, "");
}
} // namespace

TEST(DamagedFileTest, HeaderFaultsKeepThePreviousModel) {
    TVandrelTINModel model;
    ASSERT_EQ(ReadError(model, Small()), "read");
    const int triangles = model.Triangles().Count();

    const std::vector<char> small = Small();
    const std::vector<char> shortFile(small.begin(), small.begin() + 100);
    EXPECT_EQ(ReadError(model, shortFile), "Stream read error");
    EXPECT_EQ(ReadError(model, Patched(Small(), [](TVRKHeader& h) { h.FileSignature[16] = 'X'; })),
              "File is not a Vandrel TIN Model.");
    EXPECT_EQ(ReadError(model, Patched(Small(), [](TVRKHeader& h) { h.FileSignature[0] = 'q'; })),
              "File is not a Vandrel TIN Model.");
    EXPECT_EQ(+model.Header.FileSignature[0], 'q') << "the header holds the rejected bytes";
    EXPECT_EQ(ReadError(model, Patched(Small(), [](TVRKHeader& h) { h.FileMinorVersion = 1; })),
              "Unable to read this version of Vandrel TIN Model file.");
    EXPECT_EQ(ReadError(model, Patched(Small(), [](TVRKHeader& h) { h.FileMajorVersion = 2; })),
              "Unable to read this version of Vandrel TIN Model file.");
    EXPECT_EQ(model.Triangles().Count(), triangles);
    EXPECT_EQ(model.InternalName, "Test model");

    // Bytes 19 to 21 of the signature field are not examined.
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.FileSignature[17] = 'z'; })),
              "read");
}

TEST(DamagedFileTest, BadNumbersNameTheirCollection) {
    struct Case {
        std::function<void(TModelData&)> Damage;
        std::string Class;
    } cases[] = {
        {[](TModelData& d) { d.Triangles[1].Neighbours[0] = 0; }, "TVRKTriangles"},
        {[](TModelData& d) { d.Triangles[1].Neighbours[2] = 13; }, "TVRKTriangles"},
        {[](TModelData& d) { d.Triangles[0].Vertices[1] = 0; }, "TVRKVertices"},
        {[](TModelData& d) { d.Triangles[0].Vertices[1] = 13; }, "TVRKVertices"},
        {[](TModelData& d) { d.Triangles[0].Vertices[1] = -1; }, "TVRKVertices"},
        {[](TModelData& d) { d.Edges[0] = -1; }, "TVRKTriangles"},
        {[](TModelData& d) { d.StartPoints[0].Triangle = 99; }, "TVRKTriangles"},
    };
    for (const Case& c : cases) {
        TModelData data = GenerateTerrain(3, 2);
        c.Damage(data);
        TVandrelTINModel model;
        EXPECT_EQ(ReadError(model, WriteModel(data)), Bounds + c.Class + ")");
        ExpectEmpty(model);
    }
    TModelData wide = GenerateTerrain(200, 200); // more than 32767 vertices
    TWriteOptions twoBytes;
    twoBytes.VertexNumberSize = 2;
    EXPECT_EQ(ReadError(WriteModel(wide, twoBytes)), Bounds + std::string("TVRKVertices)"))
        << "a 2-byte number above 32767 reads as negative";
}

TEST(DamagedFileTest, ABadNumberInALargeSectionGivesTheFirstErrorAfterTheProgressBeforeIt) {
    // 20,000 triangles: their records are decoded on several cores, each taking a part.
    const TModelData terrain = GenerateTerrain(100, 100);
    const int64_t vertices = int64_t(terrain.Vertices.size());
    const int64_t total = vertices + int64_t(terrain.Triangles.size() + terrain.Edges.size() +
                                             terrain.StartPoints.size());
    const int64_t step = std::max<int64_t>(1024, total / 128);
    struct Case {
        int BadNeighbourAt, BadVertexAt; // triangle records, 0-based
        std::string Class;
    } cases[] = {{3000, 15000, "TVRKTriangles"},
                 {15000, 3000, "TVRKVertices"},
                 {19999, 19999, "TVRKVertices"}};
    for (const Case& c : cases) {
        TModelData data = terrain;
        data.Triangles[size_t(c.BadNeighbourAt)].Neighbours[1] = 20001;
        data.Triangles[size_t(c.BadVertexAt)].Vertices[2] = 0;
        TVandrelTINModel model;
        int64_t lastTold = 0;
        model.OnReadProgress = [&](int64_t done, int64_t) { lastTold = done; };
        EXPECT_EQ(ReadError(model, WriteModel(data)), Bounds + c.Class + ")");
        const int64_t recordsBefore = vertices + std::min(c.BadNeighbourAt, c.BadVertexAt);
        EXPECT_EQ(lastTold, recordsBefore / step * step) << c.Class;
        ExpectEmpty(model);
    }
}

TEST(DamagedFileTest, BadCountsNameTheirCollection) {
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.NumberOfVertices = -1; })),
              Bounds + std::string("TVRKVertices)"));
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.NumberOfTriangles = 134184961; })),
              Bounds + std::string("TVRKTriangles)"));
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.NumberOfEdgeRecords = -5; })),
              Bounds + std::string("TVRKEdges)"));
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.NumberOfStartPoints = INT32_MAX; })),
              Bounds + std::string("TVRKStartPoints)"));
}

TEST(DamagedFileTest, SectionsPastTheEndGiveTheReadErrorAndAnEmptyModel) {
    TVandrelTINModel model;
    ASSERT_EQ(ReadError(model, Small()), "read");
    EXPECT_EQ(ReadError(model,
                        Patched(Small(), [](TVRKHeader& h) { h.StartOffsetOfEdgeList = 1 << 30; })),
              "Stream read error");
    ExpectEmpty(model);
    EXPECT_EQ(ReadError(Patched(Small(), [](TVRKHeader& h) { h.StartOffsetOfVertices = -100; })),
              "Stream read error");
}

TEST(DamagedFileTest, HugeCountsInATinyFileAllocateNothingFirst) {
    // A few hundred bytes that claim 100,000,000 triangles: the file ends long before. The
    // triangles come last, so that no other section's bytes are read as triangle records.
    TModelData data = GenerateTerrain(2, 2);
    TWriteOptions trianglesLast;
    trianglesLast.Order = {TSectionKind::Vertices, TSectionKind::Edges, TSectionKind::StartPoints,
                           TSectionKind::Triangles};
    std::vector<char> bytes = WriteModel(data, trianglesLast);
    ASSERT_LT(bytes.size(), 1000u);
    PatchHeader(bytes, [](TVRKHeader& h) { h.NumberOfTriangles = 100000000; });
    TVandrelTINModel model;
    EXPECT_EQ(ReadError(model, bytes), "Stream read error");
    ExpectEmpty(model);

    // A bad number in a record before the end still gives the bounds error.
    data.Triangles[1].Neighbours[1] = 100000001;
    bytes = WriteModel(data, trianglesLast);
    PatchHeader(bytes, [](TVRKHeader& h) { h.NumberOfTriangles = 100000000; });
    EXPECT_EQ(ReadError(bytes), Bounds + std::string("TVRKTriangles)"));
    data.Triangles[1].Neighbours[1] = 100000000; // inside the claimed count: no error there
    bytes = WriteModel(data, trianglesLast);
    PatchHeader(bytes, [](TVRKHeader& h) { h.NumberOfTriangles = 100000000; });
    EXPECT_EQ(ReadError(bytes), "Stream read error");

    bytes = WriteModel(data);
    PatchHeader(bytes, [](TVRKHeader& h) {
        h.NumberOfVertices = 120000000;
        h.NumberOfStartPoints = 120000000;
    });
    EXPECT_EQ(ReadError(bytes), "Stream read error");
}

TEST(DamagedFileTest, RandomDamageNeverBreaksTheReader) {
    const std::vector<char> good = WriteModel(GenerateTerrain(4, 3));
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> header(0, sizeof(TVRKHeader) - 1);
    std::uniform_int_distribution<size_t> anywhere(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255), flips(1, 6);
    int read = 0, failed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<char> bytes = good;
        const int n = flips(random);
        for (int i = 0; i < n; ++i) {
            // Most damage goes to the header, where it moves whole sections.
            const size_t at = i % 2 == 0 && n > 1 ? anywhere(random) : header(random);
            bytes[at] = static_cast<char>(byte(random));
        }
        if (round % 5 == 0)
            bytes.resize(anywhere(random));
        TVandrelTINModel model;
        try {
            TMemoryStream stream(bytes);
            model.ReadFromStream(stream);
            ++read;
            // Whatever was read must be whole: every triangle has its vertices.
            for (int t = 0; t < model.Triangles().Count(); ++t)
                for (int k = 1; k <= 3; ++k)
                    ASSERT_NE(model.Triangles().Triangle(t)->Vertex(k), nullptr);
            double value;
            model.FindTriangle(10, 10, value);
        } catch (const Exception&) {
            ++failed;
            ExpectEmpty(model);
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(failed, 0);
}
