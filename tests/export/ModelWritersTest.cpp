// Each model writer's output read back by a small reader and compared with the model.
#include "export/ModelWriters.h"
#include "TerrainGenerator.h"
#include "import/SurfaceData.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"
#include "vrk/VRKWriter.h"

#include <QBuffer>
#include <QDateTime>
#include <QXmlStreamReader>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {
struct TMesh {
    std::vector<std::array<double, 3>> Points; // easting, northing, value
    std::vector<std::array<int, 3>> Faces;     // 1-based corners
    std::vector<std::array<int, 3>> Neighbours;
    int StartPoints = 0, EdgeTriangles = 0;
};

std::vector<double> Numbers(const QString& text) {
    std::vector<double> values;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts))
        values.push_back(word.toDouble());
    return values;
}

TMesh ReadLandXml(const QByteArray& bytes) {
    TMesh mesh;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == u"P") {
            const auto v = Numbers(xml.readElementText());
            mesh.Points.push_back({v[1], v[0], v[2]}); // northing first
        } else if (name == u"F") {
            const auto n = Numbers(xml.attributes().value("n").toString());
            const auto v = Numbers(xml.readElementText());
            mesh.Faces.push_back({int(v[0]), int(v[1]), int(v[2])});
            mesh.Neighbours.push_back({int(n[0]), int(n[1]), int(n[2])});
        } else if (name == u"Property") {
            const auto label = xml.attributes().value("label");
            mesh.StartPoints += label == u"StartPoint";
            mesh.EdgeTriangles += label == u"EdgeTriangle";
        } else if (name == u"Definition") {
            EXPECT_EQ(xml.attributes().value("surfType"), u"TIN");
        } else if (name == u"LandXML") {
            // What the 1.2 schema requires of the root: a date, a time and the version.
            const QXmlStreamAttributes root = xml.attributes();
            EXPECT_TRUE(QDate::fromString(root.value("date").toString(), Qt::ISODate).isValid());
            EXPECT_TRUE(QTime::fromString(root.value("time").toString(), "HH:mm:ss").isValid());
            EXPECT_EQ(root.value("version"), u"1.2");
            EXPECT_EQ(xml.namespaceUri(), u"http://www.landxml.org/schema/LandXML-1.2");
        } else if (name == u"Metric" || name == u"Imperial") {
            for (const char* unit :
                 {"areaUnit", "linearUnit", "volumeUnit", "temperatureUnit", "pressureUnit"})
                EXPECT_FALSE(xml.attributes().value(unit).isEmpty()) << unit;
        } else if (name == u"Surface") {
            EXPECT_FALSE(xml.attributes().value("name").isEmpty());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return mesh;
}

TMesh ReadPly(const QByteArray& bytes) {
    TMesh mesh;
    const qsizetype end = bytes.indexOf("end_header\n") + 11;
    const QList<QByteArray> header = bytes.left(end).split('\n');
    EXPECT_EQ(header[1], "format binary_little_endian 1.0");
    int vertices = 0, faces = 0;
    for (const QByteArray& line : header) {
        if (line.startsWith("element vertex "))
            vertices = line.mid(15).toInt();
        if (line.startsWith("element face "))
            faces = line.mid(13).toInt();
    }
    const char* p = bytes.constData() + end;
    for (int i = 0; i < vertices; ++i, p += 24) {
        std::array<double, 3> point;
        std::memcpy(point.data(), p, 24);
        mesh.Points.push_back(point);
    }
    for (int i = 0; i < faces; ++i, p += 13) {
        EXPECT_EQ(uint8_t(*p), 3);
        int32_t corners[3];
        std::memcpy(corners, p + 1, 12);
        mesh.Faces.push_back({corners[0] + 1, corners[1] + 1, corners[2] + 1});
    }
    EXPECT_EQ(p, bytes.constData() + bytes.size());
    return mesh;
}

TMesh ReadText(const QByteArray& bytes, const char* point, const char* face, int skip) {
    TMesh mesh;
    for (const QByteArray& line : bytes.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words[0] == point)
            mesh.Points.push_back({words[skip + 1].toDouble(), words[skip + 2].toDouble(),
                                   words[skip + 3].toDouble()});
        else if (words[0] == face)
            mesh.Faces.push_back(
                {words[skip + 1].toInt(), words[skip + 2].toInt(), words[skip + 3].toInt()});
    }
    return mesh;
}

QByteArray Written(const TVandrelTINModel& model, TModelFormat format) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteModel(model, format, buffer);
    return buffer.data();
}

struct ModelWritersTest : ::testing::Test {
    void SetUp() override {
        TModelData data = GenerateTerrain(9, 7, 3.7, 5, 512345.678, 6841234.5);
        TMemoryStream stream(WriteModel(data));
        model.ReadFromStream(stream);
    }
    void ExpectSame(const TMesh& mesh, bool neighbours = false) {
        ASSERT_EQ(mesh.Points.size(), size_t(model.Vertices().Count()));
        for (size_t i = 0; i < mesh.Points.size(); ++i) {
            const TTriVertex* v = model.Vertices().VertexAt(int(i));
            ASSERT_EQ(mesh.Points[i], (std::array{v->Easting, v->Northing, v->Value})) << i;
        }
        ASSERT_EQ(mesh.Faces.size(), size_t(model.Triangles().Count()));
        for (size_t i = 0; i < mesh.Faces.size(); ++i) {
            const TTriangle* t = model.Triangles().TriangleAt(int(i));
            ASSERT_EQ(mesh.Faces[i], (std::array{t->Vertex(1)->Number, t->Vertex(2)->Number,
                                                 t->Vertex(3)->Number}));
            for (int k = 1; neighbours && k <= 3; ++k) {
                ASSERT_EQ(mesh.Neighbours[i][size_t(k - 1)],
                          t->Neighbour(k) ? t->Neighbour(k)->Number : 0);
            }
        }
    }
    TVandrelTINModel model;
};
} // namespace

TEST_F(ModelWritersTest, LandXmlKeepsPointsFacesNeighboursStartPointsAndEdges) {
    const TMesh mesh = ReadLandXml(Written(model, TModelFormat::LandXml));
    ExpectSame(mesh, true);
    EXPECT_EQ(mesh.StartPoints, model.StartPoints.Count());
    EXPECT_EQ(mesh.EdgeTriangles, model.Edges.Count());
}

TEST_F(ModelWritersTest, PlyObjAnd2dmKeepEveryVertexAndTriangleExactly) {
    ExpectSame(ReadPly(Written(model, TModelFormat::Ply)));
    ExpectSame(ReadText(Written(model, TModelFormat::Obj), "v", "f", 0));
    const QByteArray mesh2dm = Written(model, TModelFormat::Mesh2dm);
    EXPECT_TRUE(mesh2dm.startsWith("MESH2D\n"));
    ExpectSame(ReadText(mesh2dm, "ND", "E3T", 1));
}

TEST_F(ModelWritersTest, ValuesThatAreNotNumbersAreRefusedByTextFormats) {
    model.Vertices().VertexAt(3)->Value = std::nan("");
    for (TModelFormat format : {TModelFormat::LandXml, TModelFormat::Obj, TModelFormat::Mesh2dm}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_THROW(WriteModel(model, format, buffer), Exception);
        EXPECT_TRUE(buffer.data().isEmpty()) << "refused before anything is written";
    }
    const TMesh ply = ReadPly(Written(model, TModelFormat::Ply));
    EXPECT_TRUE(std::isnan(ply.Points[3][2])) << "binary doubles hold it";
}

TEST(ModelFormatTest, ExtensionsAndNames) {
    TModelFormat format;
    EXPECT_TRUE(ModelFormatFromExtension("a/b.XML", format));
    EXPECT_EQ(format, TModelFormat::LandXml);
    EXPECT_TRUE(ModelFormatFromExtension("b.2dm", format));
    EXPECT_EQ(format, TModelFormat::Mesh2dm);
    EXPECT_FALSE(ModelFormatFromExtension("b.txt", format));
    EXPECT_FALSE(ModelFormatFromExtension("noextension", format));
    EXPECT_TRUE(ModelFormatFromName("landxml", format));
    EXPECT_FALSE(ModelFormatFromName("dxf", format));
}

TEST(VrkSurfaceTest, ASurfaceIsWrittenAsTheModelMadeOfItWouldBe) {
    // A grid with a hole where one triangle is left out, its neighbours found or given.
    TSurfaceData surface;
    surface.Name = "Pad";
    surface.Units = 2;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            surface.Points.push_back({485000.125 + 10 * i, 3650000.0 + 10 * j, 0.1 * i * j});
    for (uint32_t j = 0; j < 3; ++j)
        for (uint32_t i = 0; i < 3; ++i)
            for (const auto& face : {std::array{4 * j + i, 4 * j + i + 1, 4 * j + i + 5},
                                     std::array{4 * j + i, 4 * j + i + 5, 4 * j + i + 4}})
                if (!(i == 1 && j == 1 && face[2] == 4 * j + i + 4))
                    surface.Faces.push_back(face);
    auto bytes = [](auto write) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        write(buffer);
        return buffer.data();
    };
    TVandrelTINModel model;
    BuildModel(model, TSurfaceData(surface));
    const QByteArray expected = bytes([&](QIODevice& out) { WriteVrkModel(model, out); });
    EXPECT_EQ(bytes([&](QIODevice& out) { WriteVrkSurface(surface, out); }), expected);
    for (const auto& across : FaceNeighbours(surface))
        surface.Neighbours.push_back({int32_t(across[0]), int32_t(across[1]), int32_t(across[2])});
    EXPECT_EQ(bytes([&](QIODevice& out) { WriteVrkSurface(surface, out); }), expected);
}
