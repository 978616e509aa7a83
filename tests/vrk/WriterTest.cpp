// A model written as a model file reads back as the same model: every number bit for bit, the
// same triangles in the same order with the same neighbours, edges and start points, and no
// new problem for the health check.
#include "TerrainGenerator.h"
#include "import/SurfaceData.h"
#include "inspect/HealthCheck.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"
#include "vrk/VRKWriter.h"

#include <QBuffer>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
std::vector<char> Written(const TVandrelTINModel& model) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteVrkModel(model, buffer);
    return {buffer.data().begin(), buffer.data().end()};
}

void Read(TVandrelTINModel& model, const std::vector<char>& bytes) {
    TMemoryStream stream(bytes);
    model.ReadFromStream(stream);
}

struct TCount : THealthReport {
    void AddProblem(const QString&, const QString&, TTriangle*) override {}
};
int Problems(const TVandrelTINModel& model) {
    TCount report;
    return CheckModel(model, report, 1);
}

bool Same(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

int NumberOf(const TTriangle* t) {
    return t ? t->Number : -1;
}

// The copy holds the original's numbers bit for bit and its links by number.
void ExpectSameModel(const TVandrelTINModel& copy, const TVandrelTINModel& original) {
    ASSERT_EQ(copy.Vertices().Count(), original.Vertices().Count());
    ASSERT_EQ(copy.Triangles().Count(), original.Triangles().Count());
    EXPECT_EQ(copy.InternalName, original.InternalName);
    for (int i = 0; i < original.Vertices().Count(); ++i) {
        const TTriVertex *a = copy.Vertices().VertexAt(i), *b = original.Vertices().VertexAt(i);
        EXPECT_TRUE(Same(a->Easting, b->Easting) && Same(a->Northing, b->Northing) &&
                    Same(a->Value, b->Value))
            << "vertex " << i + 1 << ": " << a->Easting << " " << b->Easting;
    }
    for (int i = 0; i < original.Triangles().Count(); ++i)
        for (int k = 1; k <= 3; ++k) {
            const TTriangle *a = copy.Triangles().TriangleAt(i),
                            *b = original.Triangles().TriangleAt(i);
            ASSERT_EQ(a->Vertex(k)->Number, b->Vertex(k)->Number);
            ASSERT_EQ(NumberOf(a->Neighbour(k)), NumberOf(b->Neighbour(k)));
        }
    ASSERT_EQ(copy.StartPoints.Count(), original.StartPoints.Count());
    for (int i = 0; i < original.StartPoints.Count(); ++i) {
        const TVRKStartPoint *a = copy.StartPoints.StartPoints(i),
                             *b = original.StartPoints.StartPoints(i);
        EXPECT_TRUE(Same(a->Easting, b->Easting) && Same(a->Northing, b->Northing));
        EXPECT_EQ(NumberOf(a->Triangle), NumberOf(b->Triangle));
    }
    EXPECT_EQ(Problems(copy), Problems(original));
}

struct TSource {
    const char* Name;
    TModelData Data;
    TWriteOptions Options;
    int VertexNumberSize, TriangleNumberSize; // what the counts ask for
};

std::vector<TSource> Sources() {
    std::vector<TSource> sources;
    // Survey coordinates as doubles, with the numbers real data hits: -0, the largest and the
    // smallest doubles, values that are not finite, on points no triangle uses.
    TModelData survey = GenerateTerrain(20, 15, 2.5, 3, 485123.456, 3650789.012);
    survey.Vertices.push_back({-0.0, -0.0, -0.0});
    survey.Vertices.push_back({1.7976931348623157e308, 5e-324, -1e-300});
    survey.Vertices.push_back({0.1, std::numeric_limits<double>::infinity(), NAN});
    sources.push_back({"survey", survey, {}, 2, 2});
    // Singles with offsets, as the sample is stored.
    TWriteOptions singles;
    singles.CoordinateSize = singles.ValueSize = 4;
    singles.EastingOffset = 512250;
    singles.NorthingOffset = 6841200;
    singles.Name = "Sample terrain";
    sources.push_back({"singles", GenerateTerrain(50, 40, 10, 7, 512000, 6841000), singles, 2, 2});
    // More triangles than two bytes can number, and then more points too.
    sources.push_back({"many", GenerateTerrain(130, 130, 1), {}, 2, 4});
    sources.push_back({"more", GenerateTerrain(190, 190, 1), {}, 4, 4});
    return sources;
}
} // namespace

TEST(WriterTest, AModelFileReadsBackAsTheSameModel) {
    for (TSource& source : Sources()) {
        SCOPED_TRACE(source.Name);
        TVandrelTINModel original, copy;
        Read(original, WriteModel(source.Data, source.Options));
        const std::vector<char> bytes = Written(original);
        Read(copy, bytes);
        ExpectSameModel(copy, original);
        ASSERT_EQ(copy.Edges.Count(), original.Edges.Count());
        for (int i = 0; i < copy.Edges.Count(); ++i)
            EXPECT_EQ(static_cast<TTriangle*>(copy.Edges.Objects(i))->Number,
                      static_cast<TTriangle*>(original.Edges.Objects(i))->Number);
        const TVRKHeader& h = copy.Header;
        EXPECT_EQ(h.VertexCoordinateSize, 8);
        EXPECT_EQ(h.VertexValueSize, 8);
        EXPECT_EQ(h.VertexNumberSize, source.VertexNumberSize);
        EXPECT_EQ(h.TriangleNumberSize, source.TriangleNumberSize);
        EXPECT_EQ(h.CoordinateUnits, original.Header.CoordinateUnits);
        // The limits are the vertices' extent; the file ends with its last section.
        double minE, minN, minV, maxE, maxN, maxV;
        original.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
        EXPECT_TRUE(Same(h.MinimumEasting, minE) && Same(h.MaximumNorthing, maxN));
        EXPECT_EQ(int64_t(bytes.size()),
                  h.StartOffsetOfStartPoints +
                      int64_t(h.NumberOfStartPoints) * h.StartPointRecordSize);
    }
}

TEST(WriterTest, ASurfaceOfAnotherFormatGetsItsOutlineAsTheEdgeList) {
    // Two triangles over a square and a third beside them: every triangle is on the outline.
    TSurfaceData surface;
    surface.Name = "Pad";
    surface.Points = {{0, 0, 1}, {10, 0, 2}, {10, 10, 3}, {0, 10, 4}, {20, 0, 5}};
    surface.Faces = {{0, 1, 2}, {0, 2, 3}, {1, 4, 2}};
    TVandrelTINModel original, copy;
    BuildModel(original, std::move(surface));
    Read(copy, Written(original));
    ExpectSameModel(copy, original);
    EXPECT_EQ(copy.InternalName, "Pad");
    EXPECT_EQ(copy.Edges.Count(), 3);
    EXPECT_EQ(NumberOf(copy.Triangles().TriangleAt(0)->Neighbour(3)), 2) << "the shared diagonal";
}
