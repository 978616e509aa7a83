#include "TerrainGenerator.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <gtest/gtest.h>

// The header's fields are packed: a unary plus copies one before a test macro binds a reference.

namespace {
void AddVertex(TVandrelTINModel& model, double e, double n, double v) {
    model.Vertices().Add(model.Vertices().CreateVertex(e, n, v));
}
} // namespace

TEST(HeaderDerivationTest, SizeRules) {
    EXPECT_EQ(RealSizeFor(1500, 0.0001), 4);
    EXPECT_EQ(RealSizeFor(-1677, 0.0001), 4);
    EXPECT_EQ(RealSizeFor(1700, 0.0001), 8);
    EXPECT_EQ(RealSizeFor(-2000, 0.0001), 8);
    EXPECT_EQ(NumberSizeFor(32767), 2);
    EXPECT_EQ(NumberSizeFor(-32767), 2);
    EXPECT_EQ(NumberSizeFor(32768), 4);
}

TEST(HeaderDerivationTest, ExtentOffsetsAndSizesFollowTheMesh) {
    TVandrelTINModel model;
    AddVertex(model, 1000, 500, -10);
    AddVertex(model, 4000, 1500, 1600); // 3,000 by 1,000
    model.PrepareHeader();
    EXPECT_EQ(+model.Header.MinimumEasting, 1000);
    EXPECT_EQ(+model.Header.MaximumNorthing, 1500);
    EXPECT_EQ(+model.Header.EastingOffsetValue, 2500);
    EXPECT_EQ(+model.Header.NorthingOffsetValue, 1000);
    EXPECT_EQ(+model.Header.VertexCoordinateSize, 4);
    EXPECT_EQ(+model.Header.VertexValueSize, 4);
    EXPECT_EQ(+model.Header.VertexNumberSize, 2);
    EXPECT_EQ(+model.Header.TriangleNumberSize, 2);

    AddVertex(model, 1000, 500, -2000);
    AddVertex(model, 4400, 500, 0); // 3,400 wide
    model.PrepareHeader();
    EXPECT_EQ(+model.Header.VertexCoordinateSize, 8);
    EXPECT_EQ(+model.Header.VertexValueSize, 8);
}

TEST(HeaderDerivationTest, RoundingMatchesWhatAFileWouldGiveBack) {
    TVandrelTINModel model;
    AddVertex(model, 100.123456789, 200.987654321, 12.3456789);
    AddVertex(model, 1100.1, 700.7, 99.99);
    model.PrepareHeader();
    ASSERT_EQ(+model.Header.VertexCoordinateSize, 4);
    const double offset = model.Header.EastingOffsetValue;
    const double easting = 100.123456789;
    EXPECT_EQ(model.Vertices().Vertex(0)->Easting,
              offset + static_cast<double>(static_cast<float>(easting - offset)));
    EXPECT_EQ(model.Vertices().Vertex(0)->Value, static_cast<double>(12.3456789f));
}

TEST(HeaderDerivationTest, EmptyMesh) {
    TVandrelTINModel model;
    model.PrepareHeader();
    EXPECT_EQ(+model.Header.MinimumEasting, 1e99);
    EXPECT_EQ(+model.Header.MaximumNorthing, -1e99);
    EXPECT_EQ(+model.Header.EastingOffsetValue, 0);
    EXPECT_EQ(+model.Header.VertexCoordinateSize, 8);
    EXPECT_EQ(+model.Header.VertexValueSize, 8);
    EXPECT_EQ(+model.Header.VertexNumberSize, 2);
}

TEST(HeaderDerivationTest, LeavesOtherFieldsAndCountsVertexNumbers) {
    TVandrelTINModel model;
    TMemoryStream stream(WriteModel(GenerateTerrain(200, 100)));
    model.ReadFromStream(stream);
    const TVRKHeader before = model.Header;
    model.PrepareHeader();
    EXPECT_EQ(+model.Header.VertexNumberSize, 2) << "20,301 vertices";
    EXPECT_EQ(+model.Header.TriangleNumberSize, 4) << "40,000 triangles";
    EXPECT_EQ(+model.Header.NumberOfTriangles, +before.NumberOfTriangles);
    EXPECT_EQ(+model.Header.StartOffsetOfEdgeList, +before.StartOffsetOfEdgeList);
}
