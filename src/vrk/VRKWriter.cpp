#include "VRKWriter.h"
#include "VRKModel.h"
#include "platform/Exceptions.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {
// The triangles the edge list names: the model's own, or for a model read from another format
// (which has none), the triangles with a side on the outline, in collection order.
std::vector<const TTriangle*> EdgeTriangles(const TVandrelTINModel& model) {
    std::vector<const TTriangle*> edges;
    if (model.Edges.Count() > 0) {
        for (int i = 0; i < model.Edges.Count(); ++i)
            edges.push_back(static_cast<const TTriangle*>(model.Edges.Get(i)));
        return edges;
    }
    const TTriangles& triangles = model.Triangles();
    for (int i = 0; i < triangles.Count(); ++i)
        if (const TTriangle* t = triangles.TriangleAt(i))
            if (!t->Neighbour(1) || !t->Neighbour(2) || !t->Neighbour(3))
                edges.push_back(t);
    return edges;
}

// 1-based numbers the reader resolves to the same objects; -1 for no neighbour.
int32_t VertexNumberOf(const TVandrelTINModel& model, const TTriVertex* v) {
    if (!v || v->Number < 1 || v->Number > model.Vertices().Count() ||
        model.Vertices().VertexAt(v->Number - 1) != v)
        throw Exception("A triangle has a corner that is not among the model's points.");
    return v->Number;
}

int32_t TriangleNumberOf(const TVandrelTINModel& model, const TTriangle* t, bool noneAllowed) {
    if (!t && noneAllowed)
        return -1;
    if (!t)
        throw Exception("An edge or a start point names no triangle.");
    if (t->Number < 1 || t->Number > model.Triangles().Count() ||
        model.Triangles().TriangleAt(t->Number - 1) != t)
        throw Exception("A triangle's neighbour is not among the model's triangles.");
    return t->Number;
}

// Records gathered into a buffer that goes to the device a megabyte at a time.
class TRecords {
public:
    explicit TRecords(QIODevice& out) : FOut(out) { FBuffer.reserve(Chunk + 64); }
    ~TRecords() { Flush(); }
    TRecords(const TRecords&) = delete;
    TRecords& operator=(const TRecords&) = delete;

    template <class T> void Put(T value) {
        const char* bytes = reinterpret_cast<const char*>(&value);
        FBuffer.append(bytes, sizeof value);
        if (FBuffer.size() >= Chunk)
            Flush();
    }
    // A number of the size the header gives it: two bytes or four.
    void Number(int32_t value, int size) {
        if (size == 2)
            Put(int16_t(value));
        else
            Put(value);
    }
    void Flush() {
        if (!FBuffer.isEmpty())
            FOut.write(FBuffer);
        FBuffer.clear();
    }

private:
    static constexpr qsizetype Chunk = 1 << 20;
    QIODevice& FOut;
    QByteArray FBuffer;
};

// Whether x, stored as x - offset, reads back as itself: the reader adds the offset to the
// stored double in extended precision and rounds the sum to a double.
bool ReadsBack(double x, double offset) {
    const double stored = x - offset;
    const double read = static_cast<double>(static_cast<long double>(stored) + offset);
    return std::bit_cast<uint64_t>(read) == std::bit_cast<uint64_t>(x) || (x != x && read != read);
}

// An offset inside the limits (the health check asks for that) with which every coordinate
// reads back bit for bit: the middle of the range, as models are stored, else one of its ends,
// else zero, with which every coordinate but -0 reads back, or -0, with which all do.
double OffsetFor(const std::vector<double>& coordinates, double low, double high) {
    std::vector<double> candidates;
    if (std::isfinite(low) && std::isfinite(high) && low <= high)
        candidates = {low + (high - low) / 2, low, high};
    candidates.push_back(0.0);
    candidates.push_back(-0.0);
    for (const double offset : candidates)
        if (std::all_of(coordinates.begin(), coordinates.end(),
                        [&](double x) { return ReadsBack(x, offset); }))
            return offset;
    return -0.0;
}
} // namespace

TVRKHeader HeaderForWriting(const TVandrelTINModel& model) {
    TVRKHeader h = model.Header; // the units and the interpolation method stay the model's
    h.FileMajorVersion = 1;
    h.FileMinorVersion = 0;
    std::memset(h.FileSignature, 0, sizeof h.FileSignature);
    std::memcpy(h.FileSignature, VRKSignature, sizeof VRKSignature - 1);
    std::memset(h.DTMModelInternalName, 0, sizeof h.DTMModelInternalName);
    const QByteArray name = model.InternalName.toLatin1().left(sizeof h.DTMModelInternalName);
    std::memcpy(h.DTMModelInternalName, name.constData(), size_t(name.size()));
    if (h.CoordinateUnits == 0)
        h.CoordinateUnits = h.VertexValueUnits = 1;
    if (h.InterpolationMethod == 0)
        h.InterpolationMethod = 1;

    double minE, minN, minV, maxE, maxN, maxV;
    model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    h.MinimumEasting = minE;
    h.MinimumNorthing = minN;
    h.MaximumEasting = maxE;
    h.MaximumNorthing = maxN;
    std::vector<double> eastings, northings;
    eastings.reserve(size_t(model.Vertices().Count()));
    northings.reserve(size_t(model.Vertices().Count()));
    for (int i = 0; i < model.Vertices().Count(); ++i) {
        eastings.push_back(model.Vertices().VertexAt(i)->Easting);
        northings.push_back(model.Vertices().VertexAt(i)->Northing);
    }
    for (int i = 0; i < model.StartPoints.Count(); ++i) {
        eastings.push_back(model.StartPoints.StartPoints(i)->Easting);
        northings.push_back(model.StartPoints.StartPoints(i)->Northing);
    }
    h.EastingOffsetValue = OffsetFor(eastings, minE, maxE);
    h.NorthingOffsetValue = OffsetFor(northings, minN, maxN);

    const int vertexNumber = NumberSizeFor(model.Vertices().Count());
    const int triangleNumber = NumberSizeFor(model.Triangles().Count());
    h.VertexCoordinateSize = h.VertexValueSize = 8;
    h.VertexNumberSize = uint8_t(vertexNumber);
    h.TriangleNumberSize = uint8_t(triangleNumber);
    h.VertexRecordSize = 3 * 8;
    h.TriangleRecordSize = int16_t(3 * vertexNumber + 3 * triangleNumber);
    h.EdgeRecordSize = int16_t(triangleNumber);
    h.StartPointRecordSize = int16_t(2 * 8 + triangleNumber);

    const int64_t vertices = model.Vertices().Count(), triangles = model.Triangles().Count();
    const int64_t edges = int64_t(EdgeTriangles(model).size());
    const int64_t starts = model.StartPoints.Count();
    const int64_t vertexStart = sizeof(TVRKHeader);
    const int64_t triangleStart = vertexStart + vertices * h.VertexRecordSize;
    const int64_t edgeStart = triangleStart + triangles * h.TriangleRecordSize;
    const int64_t startStart = edgeStart + edges * h.EdgeRecordSize;
    const int64_t end = startStart + starts * h.StartPointRecordSize;
    if (end > std::numeric_limits<int32_t>::max())
        throw Exception("The model is too big for a model file, whose sections must start "
                        "within its first 2 GB.");
    h.StartOffsetOfVertices = int32_t(vertexStart);
    h.NumberOfVertices = int32_t(vertices);
    h.StartOffsetOfTriangles = int32_t(triangleStart);
    h.NumberOfTriangles = int32_t(triangles);
    h.StartOffsetOfEdgeList = int32_t(edgeStart);
    h.NumberOfEdgeRecords = int32_t(edges);
    h.StartOffsetOfStartPoints = int32_t(startStart);
    h.NumberOfStartPoints = int32_t(starts);
    return h;
}

void WriteVrkModel(const TVandrelTINModel& model, QIODevice& out) {
    const TVRKHeader h = HeaderForWriting(model);
    TRecords records(out);
    records.Put(h);
    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        records.Put(v->Northing - h.NorthingOffsetValue);
        records.Put(v->Easting - h.EastingOffsetValue);
        records.Put(v->Value);
    }
    const TTriangles& triangles = model.Triangles();
    for (int i = 0; i < triangles.Count(); ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        for (int k = 1; k <= 3; ++k)
            records.Number(VertexNumberOf(model, t->Vertex(k)), h.VertexNumberSize);
        for (int k = 1; k <= 3; ++k)
            records.Number(TriangleNumberOf(model, t->Neighbour(k), true), h.TriangleNumberSize);
    }
    for (const TTriangle* t : EdgeTriangles(model))
        records.Number(TriangleNumberOf(model, t, false), h.TriangleNumberSize);
    for (int i = 0; i < model.StartPoints.Count(); ++i) {
        const TVRKStartPoint* p = model.StartPoints.StartPoints(i);
        records.Put(p->Northing - h.NorthingOffsetValue);
        records.Put(p->Easting - h.EastingOffsetValue);
        records.Number(TriangleNumberOf(model, p->Triangle, false), h.TriangleNumberSize);
    }
}
