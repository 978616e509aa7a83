#include "TerrainGenerator.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <gtest/gtest.h>

namespace {
void Read(TVandrelTINModel& model, const std::vector<char>& bytes) {
    TMemoryStream stream(bytes);
    model.ReadFromStream(stream);
}

// The model holds exactly the data, with every reference resolved.
void ExpectModelIs(const TVandrelTINModel& model, const TModelData& data, double tolerance = 0) {
    ASSERT_EQ(model.Vertices().Count(), static_cast<int>(data.Vertices.size()));
    ASSERT_EQ(model.Triangles().Count(), static_cast<int>(data.Triangles.size()));
    ASSERT_EQ(model.Edges.Count(), static_cast<int>(data.Edges.size()));
    ASSERT_EQ(model.StartPoints.Count(), static_cast<int>(data.StartPoints.size()));
    for (int i = 0; i < model.Vertices().Count(); ++i) {
        const TTriVertex* v = model.Vertices().Vertex(i);
        EXPECT_EQ(v->Number, i + 1);
        EXPECT_STREQ(v->ClassName(), "TVRKVertex");
        EXPECT_NEAR(v->Easting, data.Vertices[i].Easting, tolerance);
        EXPECT_NEAR(v->Northing, data.Vertices[i].Northing, tolerance);
        EXPECT_NEAR(v->Value, data.Vertices[i].Value, tolerance);
    }
    for (int i = 0; i < model.Triangles().Count(); ++i) {
        const TTriangle* t = model.Triangles().Triangle(i);
        EXPECT_EQ(t->Number, i + 1);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(t->Vertex(k)->Number, data.Triangles[i].Vertices[k - 1]);
            const int32_t neighbour = data.Triangles[i].Neighbours[k - 1];
            EXPECT_EQ(t->Neighbour(k) ? t->Neighbour(k)->Number : -1, neighbour);
        }
    }
    for (int i = 0; i < model.Edges.Count(); ++i)
        EXPECT_EQ(static_cast<TTriangle*>(model.Edges.Objects(i))->Number, data.Edges[i]);
    for (int i = 0; i < model.StartPoints.Count(); ++i) {
        const TVRKStartPoint* p = model.StartPoints.StartPoints(i);
        EXPECT_NEAR(p->Easting, data.StartPoints[i].Easting, tolerance);
        EXPECT_EQ(p->Triangle->Number, data.StartPoints[i].Triangle);
    }
}

struct TLayoutCase {
    const char* Name;
    TWriteOptions Options;
    double Tolerance;
};

TWriteOptions Layout(uint8_t real, uint8_t number, int padding,
                     std::array<TSectionKind, 4> order = {
                         TSectionKind::Vertices, TSectionKind::Triangles, TSectionKind::Edges,
                         TSectionKind::StartPoints}) {
    TWriteOptions o;
    o.CoordinateSize = o.ValueSize = real;
    o.VertexNumberSize = o.TriangleNumberSize = number;
    o.Padding = padding;
    o.Order = order;
    o.EastingOffset = 2000;
    o.NorthingOffset = 3000;
    o.GapBetweenSections = padding * 3;
    return o;
}

void PrintTo(const TLayoutCase& layout, std::ostream* out) {
    *out << layout.Name;
}

class ReaderLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};
} // namespace

TEST_P(ReaderLayoutTest, ReadsEveryLayoutIntoTheSameModel) {
    const TModelData data = GenerateTerrain(6, 5, 10, 4, 2000, 3000);
    TVandrelTINModel model;
    Read(model, WriteModel(data, GetParam().Options));
    EXPECT_EQ(model.InternalName, "Test model");
    ExpectModelIs(model, data, GetParam().Tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReaderLayoutTest,
    ::testing::Values(TLayoutCase{"Doubles32", Layout(8, 4, 0), 0},
                      TLayoutCase{"Singles16", Layout(4, 2, 0), 1e-4},
                      TLayoutCase{"Padded", Layout(8, 2, 5), 0},
                      TLayoutCase{"OtherSizesMeanWide", Layout(0, 0, 0), 0},
                      TLayoutCase{"Reversed",
                                  Layout(4, 4, 1,
                                         {TSectionKind::StartPoints, TSectionKind::Edges,
                                          TSectionKind::Triangles, TSectionKind::Vertices}),
                                  1e-4}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ReaderTest, OffsetsAreAddedInExtendedPrecisionValuesAreAbsolute) {
    TModelData data;
    data.Vertices = {{0.25, 0.5, 7}};
    TWriteOptions options;
    options.EastingOffset = 1e15;
    options.NorthingOffset = -0.1;
    std::vector<char> bytes = WriteModel(data, options);
    TVandrelTINModel model;
    Read(model, bytes);
    const TTriVertex* v = model.Vertices().Vertex(0);
    EXPECT_EQ(v->Easting, 0.25);
    // Stored 0.6 plus -0.1 gives 0.49999999999999994 in double arithmetic.
    EXPECT_EQ(v->Northing, 0.5);
    EXPECT_EQ(v->Value, 7);
}

TEST(ReaderTest, EmptyModelKeepsNameAndHeader) {
    TVandrelTINModel model;
    TWriteOptions options;
    options.Name = std::string(32, 'N'); // fills the field: no terminating zero
    Read(model, WriteModel(TModelData{}, options));
    EXPECT_EQ(model.Triangles().Count(), 0);
    EXPECT_EQ(model.InternalName, QString(32, u'N'));
    EXPECT_EQ(+model.Header.FileMajorVersion, 1);
}

TEST(ReaderTest, NoNeighbourIsMinusOneAlsoInTwoBytes) {
    TModelData data;
    data.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, -1}}};
    TWriteOptions options;
    options.TriangleNumberSize = 2;
    TVandrelTINModel model;
    Read(model, WriteModel(data, options));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(model.Triangles().Triangle(0)->Neighbour(k), nullptr);
}

TEST(ReaderTest, RecordSizeZeroReadsEveryRecordFromOnePlace) {
    TModelData data;
    data.Vertices = {{5, 6, 7}, {8, 9, 10}};
    std::vector<char> bytes = WriteModel(data);
    PatchHeader(bytes, [](TVRKHeader& h) { h.VertexRecordSize = 0; });
    TVandrelTINModel model;
    Read(model, bytes);
    ASSERT_EQ(model.Vertices().Count(), 2);
    EXPECT_EQ(model.Vertices().Vertex(1)->Easting, 5);
}

TEST(ReaderTest, SecondFileReplacesTheFirstCompletely) {
    TVandrelTINModel model;
    Read(model, WriteModel(GenerateTerrain(5, 5)));
    const TModelData second = GenerateTerrain(2, 3, 7, 9, 100, 100);
    TWriteOptions options;
    options.Name = "Second";
    Read(model, WriteModel(second, options));
    EXPECT_EQ(model.InternalName, "Second");
    ExpectModelIs(model, second);
}

TEST(ReaderTest, SampleModelReads) {
    TVandrelTINModel model;
    TFileStream stream(VRK_SAMPLES_DIR "/sample.vrk");
    model.ReadFromStream(stream);
    EXPECT_GT(model.Triangles().Count(), 1000);
    EXPECT_EQ(model.InternalName, "Sample terrain");
    EXPECT_GT(model.StartPoints.Count(), 0);
}
