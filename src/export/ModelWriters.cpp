#include "ModelWriters.h"
#include "import/SurfaceData.h"
#include "platform/Exceptions.h"
#include "platform/NumberText.h"
#include "vrk/VRKMeshWriter.h"
#include "vrk/VRKModel.h"
#include "vrk/VRKWriter.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QXmlStreamWriter>
#include <cmath>
#include <cstring>

namespace {
QByteArray Number(double value) {
    return FormatShortest(value).toLatin1();
}

// The 1-based number a triangle gives its corner, checked against the collection.
int VertexNumber(const TVandrelTINModel& model, const TTriVertex* v) {
    if (!v || v->Number < 1 || v->Number > model.Vertices().Count() ||
        model.Vertices().VertexAt(v->Number - 1) != v)
        throw Exception("A triangle has a corner that is not among the model's points.");
    return v->Number;
}

// Text formats have no place for a value that is not a finite number.
void RefuseNonFinite(const TVandrelTINModel& model, const char* format) {
    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        if (!std::isfinite(v->Easting) || !std::isfinite(v->Northing) || !std::isfinite(v->Value))
            throw Exception(QString("Point %1 has a coordinate or value that is not a finite "
                                    "number, which %2 cannot hold.")
                                .arg(i + 1)
                                .arg(format)
                                .toStdString());
    }
}

template <class Visit> void ForEachTriangle(const TVandrelTINModel& model, Visit visit) {
    const TTriangles& triangles = model.Triangles();
    for (int i = 0; i < triangles.Count(); ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        visit(*t, VertexNumber(model, t->Vertex(1)), VertexNumber(model, t->Vertex(2)),
              VertexNumber(model, t->Vertex(3)));
    }
}

QString LinearUnit(int units) {
    return units == 2 ? "foot" : units == 3 ? "USSurveyFoot" : "meter";
}

void WriteLandXml(const TVandrelTINModel& model, QIODevice& out, const TSystemName* system) {
    RefuseNonFinite(model, "LandXML");
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement("LandXML");
    xml.writeDefaultNamespace("http://www.landxml.org/schema/LandXML-1.2");
    // The schema asks for the date and time the file was made.
    const QDateTime now = QDateTime::currentDateTime();
    xml.writeAttribute("date", now.toString("yyyy-MM-dd"));
    xml.writeAttribute("time", now.toString("HH:mm:ss"));
    xml.writeAttribute("version", "1.2");
    xml.writeStartElement("Units");
    const bool metric = model.Header.CoordinateUnits != 2 && model.Header.CoordinateUnits != 3;
    xml.writeStartElement(metric ? "Metric" : "Imperial");
    xml.writeAttribute("linearUnit", LinearUnit(model.Header.CoordinateUnits));
    xml.writeAttribute("areaUnit", metric ? "squareMeter" : "squareFoot");
    xml.writeAttribute("volumeUnit", metric ? "cubicMeter" : "cubicFeet");
    // Required by the schema although a surface has no use for them.
    xml.writeAttribute("temperatureUnit", metric ? "celsius" : "fahrenheit");
    xml.writeAttribute("pressureUnit", metric ? "milliBars" : "inHG");
    xml.writeEndElement();
    xml.writeEndElement();
    if (system) {
        xml.writeStartElement("CoordinateSystem");
        xml.writeAttribute("name", system->Name);
        if (system->Epsg > 0)
            xml.writeAttribute("epsgCode", QString::number(system->Epsg));
        else
            xml.writeAttribute("ogcWktCode", system->Wkt);
        xml.writeEndElement();
    }
    xml.writeStartElement("Surfaces");
    xml.writeStartElement("Surface");
    xml.writeAttribute("name", model.InternalName);
    xml.writeStartElement("Definition");
    xml.writeAttribute("surfType", "TIN");
    xml.writeStartElement("Pnts");
    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        xml.writeStartElement("P");
        xml.writeAttribute("id", QString::number(i + 1));
        // LandXML lists a point as northing, easting, elevation.
        xml.writeCharacters(Number(v->Northing) + ' ' + Number(v->Easting) + ' ' +
                            Number(v->Value));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement("Faces");
    ForEachTriangle(model, [&](const TTriangle& t, int a, int b, int c) {
        xml.writeStartElement("F");
        QStringList neighbours;
        for (int k = 1; k <= 3; ++k)
            neighbours << QString::number(t.Neighbour(k) ? t.Neighbour(k)->Number : 0);
        xml.writeAttribute("n", neighbours.join(' '));
        xml.writeCharacters(QString("%1 %2 %3").arg(a).arg(b).arg(c));
        xml.writeEndElement();
    });
    xml.writeEndElement(); // Faces
    xml.writeEndElement(); // Definition
    // The start points and the edge list, which LandXML has no element of its own for.
    xml.writeStartElement("Feature");
    xml.writeAttribute("name", "StartPoints");
    xml.writeAttribute("code", "VRK");
    for (int i = 0; i < model.StartPoints.Count(); ++i) {
        const TVRKStartPoint* p = model.StartPoints.StartPoints(i);
        xml.writeStartElement("Property");
        xml.writeAttribute("label", "StartPoint");
        xml.writeAttribute("value", Number(p->Easting) + ' ' + Number(p->Northing) + ' ' +
                                        QByteArray::number(p->Triangle ? p->Triangle->Number : 0));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement("Feature");
    xml.writeAttribute("name", "EdgeList");
    xml.writeAttribute("code", "VRK");
    for (int i = 0; i < model.Edges.Count(); ++i) {
        const auto* t = static_cast<const TTriangle*>(model.Edges.Get(i));
        xml.writeStartElement("Property");
        xml.writeAttribute("label", "EdgeTriangle");
        xml.writeAttribute("value", QString::number(t ? t->Number : 0));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement(); // Surface
    xml.writeEndElement(); // Surfaces
    xml.writeEndElement(); // LandXML
    xml.writeEndDocument();
    if (xml.hasError())
        throw Exception("The LandXML text could not be written.");
}

template <class T> void Put(QByteArray& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value); // little-endian host
}

void WritePly(const TVandrelTINModel& model, QIODevice& out) {
    const TTriVertices& vertices = model.Vertices();
    QByteArray bytes = "ply\nformat binary_little_endian 1.0\ncomment VRK model " +
                       model.InternalName.toUtf8().replace('\n', ' ') + "\nelement vertex " +
                       QByteArray::number(vertices.Count()) +
                       "\nproperty double x\nproperty double y\nproperty double z\nelement face " +
                       QByteArray::number(model.Triangles().Count()) +
                       "\nproperty list uchar int vertex_indices\nend_header\n";
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        Put(bytes, v->Easting);
        Put(bytes, v->Northing);
        Put(bytes, v->Value);
        if (bytes.size() > (1 << 20)) {
            out.write(bytes);
            bytes.clear();
        }
    }
    ForEachTriangle(model, [&](const TTriangle&, int a, int b, int c) {
        Put(bytes, uint8_t(3));
        Put(bytes, int32_t(a - 1));
        Put(bytes, int32_t(b - 1));
        Put(bytes, int32_t(c - 1));
        if (bytes.size() > (1 << 20)) {
            out.write(bytes);
            bytes.clear();
        }
    });
    out.write(bytes);
}

// Text a line at a time, in large writes.
class TLineWriter {
public:
    explicit TLineWriter(QIODevice& out) : FOut(out) {}
    ~TLineWriter() { FOut.write(FText); }
    void Line(const QByteArray& line) {
        FText += line;
        FText += '\n';
        if (FText.size() > (1 << 20)) {
            FOut.write(FText);
            FText.clear();
        }
    }

private:
    QIODevice& FOut;
    QByteArray FText;
};

void WriteObj(const TVandrelTINModel& model, QIODevice& out) {
    RefuseNonFinite(model, "OBJ");
    TLineWriter text(out);
    text.Line("# VRK model " + model.InternalName.toUtf8().replace('\n', ' '));
    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        text.Line("v " + Number(v->Easting) + ' ' + Number(v->Northing) + ' ' + Number(v->Value));
    }
    ForEachTriangle(model, [&](const TTriangle&, int a, int b, int c) {
        text.Line("f " + QByteArray::number(a) + ' ' + QByteArray::number(b) + ' ' +
                  QByteArray::number(c));
    });
}

void Write2dm(const TVandrelTINModel& model, QIODevice& out) {
    RefuseNonFinite(model, "2DM");
    TLineWriter text(out);
    text.Line("MESH2D");
    ForEachTriangle(model, [&](const TTriangle& t, int a, int b, int c) {
        text.Line("E3T " + QByteArray::number(t.Number) + ' ' + QByteArray::number(a) + ' ' +
                  QByteArray::number(b) + ' ' + QByteArray::number(c) + " 1");
    });
    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        text.Line("ND " + QByteArray::number(i + 1) + ' ' + Number(v->Easting) + ' ' +
                  Number(v->Northing) + ' ' + Number(v->Value));
    }
}
} // namespace

bool ModelFormatFromName(const QString& name, TModelFormat& format) {
    const QString n = name.toLower();
    if (n == "landxml" || n == "xml")
        format = TModelFormat::LandXml;
    else if (n == "ply")
        format = TModelFormat::Ply;
    else if (n == "obj")
        format = TModelFormat::Obj;
    else if (n == "2dm")
        format = TModelFormat::Mesh2dm;
    else if (n == "vrk")
        format = TModelFormat::Vrk;
    else
        return false;
    return true;
}

bool ModelFormatFromExtension(const QString& fileName, TModelFormat& format) {
    const QString suffix = QFileInfo(fileName).suffix();
    return !suffix.isEmpty() && ModelFormatFromName(suffix, format);
}

void WriteModel(const TVandrelTINModel& model, TModelFormat format, QIODevice& out,
                const TSystemName* system) {
    switch (format) {
    case TModelFormat::LandXml:
        return WriteLandXml(model, out, system);
    case TModelFormat::Ply:
        return WritePly(model, out);
    case TModelFormat::Obj:
        return WriteObj(model, out);
    case TModelFormat::Mesh2dm:
        return Write2dm(model, out);
    case TModelFormat::Vrk:
        return WriteVrkModel(model, out);
    }
}

namespace {
// The surface data as a view, its neighbours found through shared corners when it has none.
class TSurfaceDataView : public TSurfaceView {
public:
    explicit TSurfaceDataView(const TSurfaceData& surface) : FSurface(surface) {
        if (surface.Neighbours.size() != surface.Faces.size())
            for (const auto& across : ::FaceNeighbours(surface))
                FFound.push_back({int32_t(across[0]), int32_t(across[1]), int32_t(across[2])});
    }
    std::size_t PointCount() const override { return FSurface.Points.size(); }
    TSurfacePoint Point(std::size_t i) const override { return FSurface.Points[i]; }
    std::size_t FaceCount() const override { return FSurface.Faces.size(); }
    void Face(std::size_t i, std::array<uint32_t, 3>& corners,
              std::array<int32_t, 3>& neighbours) const override {
        corners = FSurface.Faces[i];
        neighbours = FFound.empty() ? FSurface.Neighbours[i] : FFound[i];
    }

private:
    const TSurfaceData& FSurface;
    std::vector<std::array<int32_t, 3>> FFound;
};

// The surface as the file writer reads a mesh: as BuildModel would make it a model.
class TSurfaceMesh {
public:
    explicit TSurfaceMesh(const TSurfaceView& surface) : FSurface(surface) {}
    int64_t VertexCount() const { return int64_t(FSurface.PointCount()); }
    TMeshVertex Vertex(int64_t i) const {
        const TSurfacePoint p = FSurface.Point(size_t(i));
        return {p.Easting, p.Northing, p.Value};
    }
    template <class TVisit> void ForEachVertex(const TVisit& visit) const {
        FSurface.ForEachPoint([&](const TSurfacePoint& p) {
            visit(TMeshVertex{p.Easting, p.Northing, p.Value});
        });
    }
    int64_t TriangleCount() const { return int64_t(FSurface.FaceCount()); }
    void Triangle(int64_t i, int32_t corners[3], int32_t neighbours[3]) const {
        std::array<uint32_t, 3> face;
        std::array<int32_t, 3> across;
        FSurface.Face(size_t(i), face, across);
        for (size_t k = 0; k < 3; ++k) {
            if (face[k] >= FSurface.PointCount())
                throw Exception("A triangle has a corner that is not among the model's points.");
            corners[k] = int32_t(face[k] + 1);
            neighbours[k] = across[k] < 0 ? -1 : across[k] + 1;
        }
    }
    // The triangles with a side on the outline, in order, as for a model of another format.
    std::vector<int32_t> EdgeTriangles() const {
        std::vector<int32_t> numbers;
        for (size_t t = 0; t < FSurface.FaceCount(); ++t) {
            const std::array<int32_t, 3> across = FSurface.FaceNeighbours(t);
            if (across[0] < 0 || across[1] < 0 || across[2] < 0)
                numbers.push_back(int32_t(t + 1));
        }
        return numbers;
    }
    std::vector<TMeshStartPoint> StartPoints() const { return {}; }

private:
    const TSurfaceView& FSurface;
};
} // namespace

void WriteVrkSurface(const TSurfaceView& surface, const QString& name, uint8_t units,
                     QIODevice& out) {
    const TSurfaceMesh mesh(surface);
    TVRKHeader base{};
    base.CoordinateUnits = base.VertexValueUnits = units;
    base.InterpolationMethod = 1;
    WriteVrkMesh(mesh, VrkHeaderFor(mesh, base, name), out);
}

void WriteVrkSurface(const TSurfaceData& surface, QIODevice& out) {
    WriteVrkSurface(TSurfaceDataView(surface), surface.Name, surface.Units, out);
}
