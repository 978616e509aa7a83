// The readers of other programs' surface files: what they make of hand-written files, the
// model files' own contents round-tripped through every written format, their refusals with the
// place named, and damaged files that must be refused or read, never crash.
#include "import/SurfaceReaders.h"
#include "ModelWriter.h"
#include "TerrainGenerator.h"
#include "export/ModelWriters.h"
#include "import/TextLines.h"
#include "inspect/HealthCheck.h"
#include "inspect/HealthCheckRows.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace {
std::vector<char> Bytes(const QByteArray& text) {
    return {text.begin(), text.end()};
}

TSurfaceData Read(TSurfaceFormat format, const QByteArray& text, const QString& name = {}) {
    TMemoryStream stream(Bytes(text));
    TSurfaceData surface;
    switch (format) {
    case TSurfaceFormat::LandXml:
        ReadLandXml(stream, surface, name);
        break;
    case TSurfaceFormat::Ply:
        ReadPly(stream, surface);
        break;
    default: {
        TTextLines lines(stream);
        format == TSurfaceFormat::Obj ? ReadObj(lines, surface) : Read2dm(lines, surface);
    }
    }
    return surface;
}

std::string Refusal(TSurfaceFormat format, const QByteArray& text) {
    try {
        Read(format, text);
    } catch (const ESurfaceReadError& error) {
        return error.Message();
    }
    return "(read)";
}

using TFaces = std::vector<std::array<uint32_t, 3>>;

// Points as easting, northing, value.
std::vector<std::array<double, 3>> Points(const TSurfaceData& s) {
    std::vector<std::array<double, 3>> points;
    for (const TSurfacePoint& p : s.Points)
        points.push_back({p.Easting, p.Northing, p.Value});
    return points;
}

const QByteArray LandXml = R"(<?xml version="1.0"?>
<LandXML xmlns="http://www.landxml.org/schema/LandXML-1.2" version="1.2">
 <Units><Imperial linearUnit="USSurveyFoot" areaUnit="squareFoot" volumeUnit="cubicFeet"/></Units>
 <Surfaces>
  <Surface name="Existing">
   <Definition surfType="TIN"><Pnts><P id="7">1 2 3</P></Pnts><Faces/></Definition>
  </Surface>
  <Surface name="Design">
   <Definition surfType="TIN">
    <Pnts>
     <P id="100">20 10 5</P>
     <P id="205">20 11 6</P>
     <P id="150">21.5 10 7.25</P>
     <P id="3">21.5 11 -1e-3</P>
    </Pnts>
    <Faces>
     <F>100 205 150</F>
     <F n="1 0 0">205 3 150</F>
     <F i="1">100 150 3</F>
    </Faces>
   </Definition>
  </Surface>
 </Surfaces>
</LandXML>
)";
} // namespace

TEST(SurfaceReadersTest, LandXmlTakesTheNamedSurfaceByItsIdsAndLeavesInvisibleFacesOut) {
    const TSurfaceData s = Read(TSurfaceFormat::LandXml, LandXml, "Design");
    EXPECT_EQ(s.Name, "Design");
    EXPECT_EQ(s.Units, 3);
    // P holds northing, easting, elevation.
    EXPECT_EQ(Points(s), (std::vector<std::array<double, 3>>{
                             {10, 20, 5}, {11, 20, 6}, {10, 21.5, 7.25}, {11, 21.5, -1e-3}}));
    EXPECT_EQ(s.Faces, (TFaces{{0, 1, 2}, {1, 3, 2}}));
    // Without a name, the first surface with triangles: the first has none.
    EXPECT_EQ(Read(TSurfaceFormat::LandXml, LandXml).Name, "Design");
    EXPECT_EQ(Read(TSurfaceFormat::LandXml, LandXml).Faces, s.Faces);
    EXPECT_EQ(Refusal(TSurfaceFormat::LandXml,
                      "<LandXML><Surfaces><Surface name=\"EG\"><Definition><Pnts>"
                      "<P id=\"1\">1 2 3</P></Pnts></Definition>"
                      "</Surface></Surfaces></LandXML>"),
              "Surface 'EG' holds no triangles, nor does any other Surface");
}

TEST(SurfaceReadersTest, LandXmlRefusalsNameTheLine) {
    QByteArray undefined = LandXml;
    undefined.replace("<F n=\"1 0 0\">205 3 150", "<F>205 4 150");
    try {
        Read(TSurfaceFormat::LandXml, undefined, "Design");
        FAIL();
    } catch (const ESurfaceReadError& e) {
        EXPECT_EQ(e.Message(), "line 18: a face names point 4, which is not defined");
    }
    EXPECT_EQ(Refusal(TSurfaceFormat::LandXml, QByteArray(LandXml).replace("20 11 6", "20 x 6")),
              "line 12: not a number: 'x'");
    QByteArray bad = LandXml;
    bad.replace("<P id=\"7\">1 2 3", "<P id=\"7\">1 2");
    EXPECT_EQ(Refusal(TSurfaceFormat::LandXml, bad),
              "line 6: a point needs northing, easting and elevation");
    EXPECT_EQ(Refusal(TSurfaceFormat::LandXml, QByteArray(LandXml).replace("<Faces/>", "<Faces>"))
                  .substr(0, 7),
              "line 6:");
    EXPECT_EQ(Refusal(TSurfaceFormat::LandXml, "<LandXML/>"), "no Surface in the file");
    QByteArray twice = LandXml;
    twice.replace("id=\"205\"", "id=\"100\"");
    TMemoryStream stream(Bytes(twice));
    TSurfaceData s;
    EXPECT_THROW(ReadLandXml(stream, s, "Design"), ESurfaceReadError);
}

TEST(SurfaceReadersTest, PlyTextSplitsPolygonsAndSkipsOtherElementsAndProperties) {
    const TSurfaceData s = Read(TSurfaceFormat::Ply, "ply\r\n"
                                                     "format ascii 1.0\n"
                                                     "comment made by hand\n"
                                                     "element vertex 5\n"
                                                     "property float nx\n"
                                                     "property double x\n"
                                                     "property double y\n"
                                                     "property int z\n"
                                                     "element face 2\n"
                                                     "property list uchar int vertex_indices\n"
                                                     "property uchar red\n"
                                                     "element edge 1\n"
                                                     "property int vertex1\n"
                                                     "property int vertex2\n"
                                                     "end_header\n"
                                                     "0.5 0 0 1\n"
                                                     "0 1.25 0 2\n"
                                                     "0 1 1 -3\n"
                                                     "0 0 1 4\n"
                                                     "0 2 2 5\n"
                                                     "4 0 1 2 3 255\n"
                                                     "3 1 4 2 0\n"
                                                     "0 1\n");
    EXPECT_EQ(Points(s), (std::vector<std::array<double, 3>>{
                             {0, 0, 1}, {1.25, 0, 2}, {1, 1, -3}, {0, 1, 4}, {2, 2, 5}}));
    EXPECT_EQ(s.Faces, (TFaces{{0, 1, 2}, {0, 2, 3}, {1, 4, 2}}));
}

namespace {
template <class T> void Put(QByteArray& bytes, T value, bool bigEndian) {
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if (bigEndian)
        std::reverse(raw, raw + sizeof(T));
    bytes.append(raw, sizeof(T));
}

QByteArray BinaryPly(bool bigEndian) {
    QByteArray bytes = QByteArray("ply\nformat ") +
                       (bigEndian ? "binary_big_endian" : "binary_little_endian") +
                       " 1.0\n"
                       "element vertex 3\n"
                       "property float32 x\nproperty int16 y\nproperty uint8 flags\n"
                       "property float64 z\n"
                       "element face 1\nproperty list uint8 uint32 vertex_index\n"
                       "end_header\n";
    const float xs[] = {1.5f, -2.25f, 3};
    const int16_t ys[] = {-7, 8, 300};
    const double zs[] = {0.1, -1e300, 5e-324};
    for (int i = 0; i < 3; ++i) {
        Put(bytes, xs[i], bigEndian);
        Put(bytes, ys[i], bigEndian);
        Put(bytes, uint8_t(9), bigEndian);
        Put(bytes, zs[i], bigEndian);
    }
    Put(bytes, uint8_t(3), bigEndian);
    for (uint32_t corner : {2u, 0u, 1u})
        Put(bytes, corner, bigEndian);
    return bytes;
}
} // namespace

TEST(SurfaceReadersTest, BinaryPlyInEitherByteOrderGivesTheSameNumbers) {
    for (const bool bigEndian : {false, true}) {
        const TSurfaceData s = Read(TSurfaceFormat::Ply, BinaryPly(bigEndian));
        EXPECT_EQ(Points(s), (std::vector<std::array<double, 3>>{
                                 {1.5, -7, 0.1}, {-2.25, 8, -1e300}, {3, 300, 5e-324}}));
        EXPECT_EQ(s.Faces, (TFaces{{2, 0, 1}}));
    }
}

TEST(SurfaceReadersTest, PlyWithFacesFirstCapitalNamesOrBlankLinesIsRead) {
    const QByteArray body = "0 0 0\n1 0 0\n\n0 1 0\n";
    const QByteArray face = "3 0 1 2\n";
    const QByteArray vertexHeader = "element vertex 3\nproperty float X\nproperty float Y\n"
                                    "property float Z\n";
    const QByteArray faceHeader = "element face 1\nproperty list uchar int vertex_indices\n";
    for (const bool facesFirst : {false, true}) {
        const QByteArray header =
            "ply\nformat ascii 1.0\n" +
            (facesFirst ? faceHeader + vertexHeader : vertexHeader + faceHeader) + "end_header\n";
        const TSurfaceData s =
            Read(TSurfaceFormat::Ply, header + (facesFirst ? face + body : body + "\n" + face));
        EXPECT_EQ(Points(s), (std::vector<std::array<double, 3>>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
        EXPECT_EQ(s.Faces, (TFaces{{0, 1, 2}})) << facesFirst;
    }
}

TEST(SurfaceReadersTest, PlyRefusals) {
    QByteArray truncated = BinaryPly(false);
    truncated.chop(3);
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, truncated).substr(0, 5), "byte ");
    QByteArray huge = BinaryPly(false);
    huge.replace("element vertex 3", "element vertex 3000000000000");
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, huge),
              "header: element vertex counts 3000000000000, more than the file holds");
    QByteArray outside = BinaryPly(true);
    outside[outside.size() - 1] = 3; // corner 3 of three points
    // The place is the face's record: its count byte and three corners.
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, outside),
              "byte " + std::to_string(outside.size() - 13) + ": a face names point 4 of 3");
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, "ply\nformat ascii 1.0\nelement vertex 1\nproperty "
                                           "quad x\nend_header\n"),
              "line 4: unknown type 'quad'");
    // A text list's count beyond any number of items on its line.
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, "ply\nformat ascii 1.0\nelement vertex 3\n"
                                           "property float x\nproperty float y\n"
                                           "property float z\nelement face 1\n"
                                           "property list uchar int vertex_indices\nend_header\n"
                                           "0 0 0\n1 0 0\n0 1 0\n3e300 0 1 2\n"),
              "line 13: a list cannot have 3e+300 items")
        << "the file's own line, header included";
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, "PLY\n"),
              "line 1: not a PLY file: it does not start with ply");
    EXPECT_EQ(Refusal(TSurfaceFormat::Ply, "ply\nformat ascii 1.0\n"),
              "line 3: the header does not end with end_header");
}

TEST(SurfaceReadersTest, ObjTakesEveryCornerFormAndCountsNegativeNumbersBack) {
    const TSurfaceData s = Read(TSurfaceFormat::Obj, "# a quad and a triangle\n"
                                                     "o Stockpile 3\n"
                                                     "v 0 0 1\n"
                                                     "v 1 0 2\n"
                                                     "vt 0.5 0.5\n"
                                                     "vn 0 0 1\n"
                                                     "v 1 1 3 1.0\n"
                                                     "v 0 1 4\n"
                                                     "f 1/1/1 2//1 3/1 4\n"
                                                     "v 2 2 5\n"
                                                     "f -4 -1 \\\n"
                                                     "  -3 # the last corner continued\n"
                                                     "l 1 2\n");
    EXPECT_EQ(s.Name, "Stockpile 3");
    EXPECT_EQ(s.Faces, (TFaces{{0, 1, 2}, {0, 2, 3}, {1, 4, 2}}));
    EXPECT_EQ(Refusal(TSurfaceFormat::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 0\n"),
              "line 4: a face names point 0 of 3");
    EXPECT_EQ(Refusal(TSurfaceFormat::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n"),
              "line 4: a face names point -4 of 3");
    EXPECT_EQ(Refusal(TSurfaceFormat::Obj, "v 0 0\n"), "line 1: 'v' needs 3 numbers");
    EXPECT_EQ(Refusal(TSurfaceFormat::Obj, "v 0 0 1e999\n"), "line 1: not a number: '1e999'");
    EXPECT_EQ(Refusal(TSurfaceFormat::Obj, "v 0 0 0\nv 1 0 0\nf 1 2\n"),
              "line 3: a face has fewer than three corners");
}

TEST(SurfaceReadersTest, Mesh2dmHigherOrderElementsByTheirCornerNodes) {
    const QByteArray nodes = "ND 1 0 0 1\nND 2 1 0 2\nND 3 2 0 3\nND 4 2 1 4\nND 5 2 2 5\n"
                             "ND 6 1 2 6\nND 7 0 2 7\nND 8 0 1 8\nND 9 1 1 9\n";
    const struct {
        const char* Element;
        TFaces Faces;
    } cases[] = {{"E6T 1 1 2 3 4 5 9 1", {{0, 2, 4}}},
                 {"E8Q 1 1 2 3 4 5 6 7 8 1", {{0, 2, 4}, {0, 4, 6}}},
                 {"E9Q 1 1 2 3 4 5 6 7 8 9 1", {{0, 2, 4}, {0, 4, 6}}}};
    for (const auto& c : cases)
        EXPECT_EQ(Read(TSurfaceFormat::Mesh2dm, "MESH2D\n" + nodes + c.Element + "\n").Faces,
                  c.Faces)
            << c.Element;
    EXPECT_EQ(Refusal(TSurfaceFormat::Mesh2dm, "MESH2D\n" + nodes + "E6T 1 1 2 3\n"),
              "line 11: 'E6T' needs 7 numbers");
}

TEST(SurfaceReadersTest, Mesh2dmFindsNodesListedAfterTheirElementsAndSplitsQuads) {
    const TSurfaceData s = Read(TSurfaceFormat::Mesh2dm, "MESH2D\n"
                                                         "MESHNAME \"River reach\"\n"
                                                         "E4Q 1 10 20 30 40 1\n"
                                                         "E3T 2 20 50 30 1\n"
                                                         "ND 40 0 1 4\n"
                                                         "ND 10 0 0 1\n"
                                                         "ND 20 1 0 2\n"
                                                         "ND 30 1 1 3\n"
                                                         "ND 50 2 2 5\n"
                                                         "NS 1 2 -3\n");
    EXPECT_EQ(s.Name, "River reach");
    EXPECT_EQ(Points(s), (std::vector<std::array<double, 3>>{
                             {0, 1, 4}, {0, 0, 1}, {1, 0, 2}, {1, 1, 3}, {2, 2, 5}}));
    EXPECT_EQ(s.Faces, (TFaces{{1, 2, 3}, {1, 3, 0}, {2, 4, 3}}));
    EXPECT_EQ(Refusal(TSurfaceFormat::Mesh2dm, "MESH2D\nE3T 1 1 2 3 1\nND 1 0 0 0\n"),
              "line 2: an element names node 2, which is not defined");
    EXPECT_EQ(Refusal(TSurfaceFormat::Mesh2dm, "MESH2D\nND 1 0 0 0\nND 1 0 0 0\n"),
              "line 3: node 1 is defined twice");
    EXPECT_EQ(Refusal(TSurfaceFormat::Mesh2dm, "ND 1 0 0 0\n"),
              "line 1: not a 2DM mesh: it does not start with MESH2D");
    EXPECT_EQ(Refusal(TSurfaceFormat::Mesh2dm, ""), "line 1: not a 2DM mesh: the file is empty");
}

namespace {
// Each format the program writes, and the reader of it.
const std::pair<TModelFormat, TSurfaceFormat> WrittenFormats[] = {
    {TModelFormat::LandXml, TSurfaceFormat::LandXml},
    {TModelFormat::Ply, TSurfaceFormat::Ply},
    {TModelFormat::Obj, TSurfaceFormat::Obj},
    {TModelFormat::Mesh2dm, TSurfaceFormat::Mesh2dm}};

struct TRoundTrip : ::testing::Test {
    void SetUp() override {
        const TModelData data = GenerateTerrain(9, 7, 3.7, 5, 512345.678, 6841234.5);
        TMemoryStream stream(WriteModel(data));
        original.ReadFromStream(stream);
    }
    QByteArray Written(TModelFormat format) const {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteModel(original, format, buffer);
        return buffer.data();
    }
    TVandrelTINModel original;
};
} // namespace

// What the program writes reads back as the same mesh: the same numbers, the same corners, and
// the neighbours the model file stored found again from the shared corners.
TEST_F(TRoundTrip, EveryWrittenFormatReadsBackAsTheSameModel) {
    for (const auto& [written, read] : WrittenFormats) {
        TVandrelTINModel model;
        BuildModel(model, Read(read, Written(written)));
        ASSERT_EQ(model.Vertices().Count(), original.Vertices().Count());
        for (int i = 0; i < model.Vertices().Count(); ++i) {
            const TTriVertex *a = model.Vertices().VertexAt(i),
                             *b = original.Vertices().VertexAt(i);
            ASSERT_EQ(std::tie(a->Easting, a->Northing, a->Value, a->Number),
                      std::tie(b->Easting, b->Northing, b->Value, b->Number));
        }
        ASSERT_EQ(model.Triangles().Count(), original.Triangles().Count());
        for (int i = 0; i < model.Triangles().Count(); ++i) {
            const TTriangle *a = model.Triangles().TriangleAt(i),
                            *b = original.Triangles().TriangleAt(i);
            EXPECT_EQ(a->Number, i + 1);
            for (int k = 1; k <= 3; ++k) {
                EXPECT_EQ(a->Vertex(k)->Number, b->Vertex(k)->Number);
                const auto number = [](const TTriangle* t) { return t ? t->Number : 0; };
                EXPECT_EQ(number(a->Neighbour(k)), number(b->Neighbour(k))) << i << ' ' << k;
            }
        }
        // The header is the one a file of this mesh would carry, with nothing rounded.
        const TVRKHeader& h = model.Header;
        EXPECT_EQ(std::string(h.FileSignature, 16), VRKSignature);
        // Copies: the packed header's fields cannot be bound by reference.
        EXPECT_EQ(int32_t(h.NumberOfTriangles), original.Triangles().Count());
        EXPECT_EQ(int(h.VertexCoordinateSize), 8);
        EXPECT_EQ(int32_t(h.StartOffsetOfTriangles), 149 + 24 * original.Vertices().Count());
        EXPECT_EQ(double(h.MinimumEasting), double(original.Header.MinimumEasting));
        THealthCheckRows report;
        EXPECT_EQ(CheckModel(model, report), 0);
    }
}

TEST(SurfaceReadersTest, NeighboursAcrossASideSharedByThreeTrianglesAreNotGuessed) {
    TSurfaceData s;
    s.Points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {1, 1, 1}};
    s.Faces = {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}};
    TVandrelTINModel model;
    BuildModel(model, std::move(s));
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(model.Triangles().TriangleAt(t)->Neighbour(1), nullptr);
    TSurfaceData empty;
    empty.Points = {{0, 0, 0}};
    EXPECT_THROW(BuildModel(model, std::move(empty)), ESurfaceReadError);
    EXPECT_EQ(model.Triangles().Count(), 3) << "a refused surface leaves the model as it was";
}

// Damaged files of every format are refused with the reader's error or read; the sanitizer
// build watches for anything worse.
TEST_F(TRoundTrip, DamagedFilesAreRefusedOrReadNeverCrash) {
    std::mt19937 random(7);
    const char replacements[] = "0123456789-. \n/eE#<>\"x\0\xff";
    int refused = 0, read = 0;
    for (const auto& [written, format] : WrittenFormats) {
        const QByteArray clean = Written(written).left(6000); // the header and some records
        for (int round = 0; round < 250; ++round) {
            QByteArray bytes = clean;
            for (int k = int(random() % 6); k >= 0; --k) {
                const auto at = qsizetype(random() % bytes.size());
                if (random() % 4 == 0)
                    bytes.remove(at, qsizetype(random() % 40));
                else
                    bytes[at] = random() % 2 ? char(random())
                                             : replacements[random() % (sizeof replacements - 1)];
            }
            try {
                TVandrelTINModel model;
                BuildModel(model, Read(format, bytes));
                ++read;
            } catch (const ESurfaceReadError&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 10);
}

TEST(SurfaceReadersTest, TheFileNameSaysTheFormat) {
    EXPECT_EQ(SurfaceFormatOfName("a/b.XML"), TSurfaceFormat::LandXml);
    EXPECT_EQ(SurfaceFormatOfName("b.landxml"), TSurfaceFormat::LandXml);
    EXPECT_EQ(SurfaceFormatOfName("b.Ply"), TSurfaceFormat::Ply);
    EXPECT_EQ(SurfaceFormatOfName("b.obj"), TSurfaceFormat::Obj);
    EXPECT_EQ(SurfaceFormatOfName("b.2dm"), TSurfaceFormat::Mesh2dm);
    EXPECT_EQ(SurfaceFormatOfName("b.vrk"), TSurfaceFormat::Vrk);
    EXPECT_EQ(SurfaceFormatOfName("model"), TSurfaceFormat::Vrk);
}
