#pragma once
// The model file written from whatever holds a mesh: a model, or a surface's points and faces.
// TMesh gives
//   int64_t VertexCount(), TMeshVertex Vertex(i), ForEachVertex(visit) (every vertex once, in
//       any order);
//   int64_t TriangleCount(), void Triangle(i, corners[3], neighbours[3]) as 1-based numbers
//       (-1 for no neighbour), raising Exception for one a file cannot name;
//   std::vector<int32_t> EdgeTriangles(), std::vector<TMeshStartPoint> StartPoints();
// and the header's fields other than the extents, offsets, sizes and counts come from base.
#include "VRKHeader.h"
#include "platform/Exceptions.h"

#include <QIODevice>
#include <QString>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

struct TMeshVertex {
    double Easting, Northing, Value;
};
struct TMeshStartPoint {
    double Easting, Northing;
    int32_t Triangle; // 1-based
};

int RealSizeFor(double range, double resolution);
int NumberSizeFor(int count);

namespace vrkwriter {
// Records gathered into a buffer that goes to the device a megabyte at a time.
class TRecords {
public:
    explicit TRecords(QIODevice& out) : FOut(out), FBuffer(Chunk + 64) {}
    ~TRecords() { Flush(); }
    TRecords(const TRecords&) = delete;
    TRecords& operator=(const TRecords&) = delete;

    template <class T> void Put(const T& value) {
        std::memcpy(FBuffer.data() + FUsed, &value, sizeof value);
        FUsed += sizeof value;
        if (FUsed >= Chunk)
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
        if (FUsed > 0)
            FOut.write(FBuffer.data(), qint64(FUsed));
        FUsed = 0;
    }

private:
    static constexpr std::size_t Chunk = 1 << 20;
    QIODevice& FOut;
    std::vector<char> FBuffer;
    std::size_t FUsed = 0;
};

// Whether x, stored as x - offset, reads back as itself: the reader adds the offset to the
// stored double in extended precision and rounds the sum to a double.
inline bool ReadsBack(double x, double offset) {
    const double stored = x - offset;
    const double read = static_cast<double>(static_cast<long double>(stored) + offset);
    return std::bit_cast<uint64_t>(read) == std::bit_cast<uint64_t>(x) || (x != x && read != read);
}

// An offset inside the limits (the health check asks for that) with which every coordinate
// reads back bit for bit: the middle of the range, as models are stored, else one of its ends,
// else zero, with which every coordinate but -0 reads back, or -0, with which all do.
template <class TCoordinates> double OffsetFor(const TCoordinates& all, double low, double high) {
    std::vector<double> candidates;
    if (std::isfinite(low) && std::isfinite(high) && low <= high)
        candidates = {low + (high - low) / 2, low, high};
    candidates.push_back(0.0);
    candidates.push_back(-0.0);
    for (const double offset : candidates)
        if (all([&](double x) { return ReadsBack(x, offset); }))
            return offset;
    return -0.0;
}
} // namespace vrkwriter

template <class TMesh>
TVRKHeader VrkHeaderFor(const TMesh& mesh, TVRKHeader h, const QString& name) {
    using namespace vrkwriter;
    h.FileMajorVersion = 1;
    h.FileMinorVersion = 0;
    std::memset(h.FileSignature, 0, sizeof h.FileSignature);
    std::memcpy(h.FileSignature, VRKSignature, sizeof VRKSignature - 1);
    std::memset(h.DTMModelInternalName, 0, sizeof h.DTMModelInternalName);
    const QByteArray latin = name.toLatin1().left(sizeof h.DTMModelInternalName);
    std::memcpy(h.DTMModelInternalName, latin.constData(), size_t(latin.size()));
    if (h.CoordinateUnits == 0)
        h.CoordinateUnits = h.VertexValueUnits = 1;
    if (h.InterpolationMethod == 0)
        h.InterpolationMethod = 1;

    // The extents as the model reports them (none: 1e99 to -1e99); NaN is passed over.
    double minE = 1e99, minN = 1e99, maxE = -1e99, maxN = -1e99;
    const int64_t vertices = mesh.VertexCount();
    mesh.ForEachVertex([&](const TMeshVertex& v) {
        if (v.Easting < minE)
            minE = v.Easting;
        if (v.Easting > maxE)
            maxE = v.Easting;
        if (v.Northing < minN)
            minN = v.Northing;
        if (v.Northing > maxN)
            maxN = v.Northing;
    });
    h.MinimumEasting = minE;
    h.MinimumNorthing = minN;
    h.MaximumEasting = maxE;
    h.MaximumNorthing = maxN;
    const std::vector<TMeshStartPoint> starts = mesh.StartPoints();
    // Whether every vertex's and start point's easting (or northing) holds.
    auto every = [&](double TMeshVertex::*vertexAxis, double TMeshStartPoint::*startAxis) {
        return [&, vertexAxis, startAxis](const auto& holds) {
            bool all = true;
            mesh.ForEachVertex([&](const TMeshVertex& v) { all = all && holds(v.*vertexAxis); });
            for (const TMeshStartPoint& p : starts)
                all = all && holds(p.*startAxis);
            return all;
        };
    };
    h.EastingOffsetValue =
        OffsetFor(every(&TMeshVertex::Easting, &TMeshStartPoint::Easting), minE, maxE);
    h.NorthingOffsetValue =
        OffsetFor(every(&TMeshVertex::Northing, &TMeshStartPoint::Northing), minN, maxN);

    const int64_t triangles = mesh.TriangleCount();
    const int vertexNumber = NumberSizeFor(int(std::min<int64_t>(vertices, INT32_MAX)));
    const int triangleNumber = NumberSizeFor(int(std::min<int64_t>(triangles, INT32_MAX)));
    h.VertexCoordinateSize = h.VertexValueSize = 8;
    h.VertexNumberSize = uint8_t(vertexNumber);
    h.TriangleNumberSize = uint8_t(triangleNumber);
    h.VertexRecordSize = 3 * 8;
    h.TriangleRecordSize = int16_t(3 * vertexNumber + 3 * triangleNumber);
    h.EdgeRecordSize = int16_t(triangleNumber);
    h.StartPointRecordSize = int16_t(2 * 8 + triangleNumber);

    const int64_t edges = int64_t(mesh.EdgeTriangles().size());
    const int64_t vertexStart = sizeof(TVRKHeader);
    const int64_t triangleStart = vertexStart + vertices * h.VertexRecordSize;
    const int64_t edgeStart = triangleStart + triangles * h.TriangleRecordSize;
    const int64_t startStart = edgeStart + edges * h.EdgeRecordSize;
    const int64_t end = startStart + int64_t(starts.size()) * h.StartPointRecordSize;
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
    h.NumberOfStartPoints = int32_t(starts.size());
    return h;
}

// Raises Exception for a mesh no file can hold; a failed write is the device's to report.
template <class TMesh> void WriteVrkMesh(const TMesh& mesh, const TVRKHeader& h, QIODevice& out) {
    vrkwriter::TRecords records(out);
    records.Put(h);
    for (int64_t i = 0; i < mesh.VertexCount(); ++i) {
        const TMeshVertex v = mesh.Vertex(i);
        records.Put(v.Northing - h.NorthingOffsetValue);
        records.Put(v.Easting - h.EastingOffsetValue);
        records.Put(v.Value);
    }
    int32_t corners[3], neighbours[3];
    for (int64_t i = 0; i < mesh.TriangleCount(); ++i) {
        mesh.Triangle(i, corners, neighbours);
        for (const int32_t corner : corners)
            records.Number(corner, h.VertexNumberSize);
        for (const int32_t neighbour : neighbours)
            records.Number(neighbour, h.TriangleNumberSize);
    }
    for (const int32_t t : mesh.EdgeTriangles())
        records.Number(t, h.TriangleNumberSize);
    for (const TMeshStartPoint& p : mesh.StartPoints()) {
        records.Put(p.Northing - h.NorthingOffsetValue);
        records.Put(p.Easting - h.EastingOffsetValue);
        records.Number(p.Triangle, h.TriangleNumberSize);
    }
}
