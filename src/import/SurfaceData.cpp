#include "SurfaceData.h"

#include "platform/Memory.h"
#include "vrk/VRKModel.h"

#include <algorithm>
#include <cstring>
#include <limits>

std::string LinePlace(int64_t line) {
    return "line " + std::to_string(line);
}

void TSurfaceData::AddPolygon(const std::vector<uint32_t>& corners, const TPlace& place) {
    if (corners.size() < 3)
        throw ESurfaceReadError(place() + ": a face has fewer than three corners");
    for (const uint32_t corner : corners)
        if (corner >= Points.size())
            throw ESurfaceReadError(place() + ": a face names point " +
                                    std::to_string(uint64_t(corner) + 1) + " of " +
                                    std::to_string(Points.size()));
    for (std::size_t i = 2; i < corners.size(); ++i)
        Faces.push_back({corners[0], corners[i - 1], corners[i]});
}

namespace {
// The triangles around each point, as one array in point order: the triangles at point p are
// Triangles[Start[p]] to Triangles[Start[p + 1] - 1].
struct TPointTriangles {
    std::vector<uint32_t> Start;
    std::vector<uint32_t> Triangles;

    explicit TPointTriangles(const TSurfaceData& surface) : Start(surface.Points.size() + 1, 0) {
        for (const auto& face : surface.Faces)
            for (const uint32_t corner : face)
                ++Start[corner + 1];
        for (std::size_t p = 1; p < Start.size(); ++p)
            Start[p] += Start[p - 1];
        Triangles.resize(Start.back());
        std::vector<uint32_t> next(Start.begin(), Start.end() - 1);
        for (uint32_t t = 0; t < surface.Faces.size(); ++t)
            for (const uint32_t corner : surface.Faces[t])
                Triangles[next[corner]++] = t;
    }
};

bool HasCorner(const std::array<uint32_t, 3>& face, uint32_t point) {
    return face[0] == point || face[1] == point || face[2] == point;
}

// The one other triangle with the side a-b, or -1 when there is none or more than one (a side
// shared by three triangles joins none of them).
int64_t OtherTriangleOnSide(const TSurfaceData& surface, const TPointTriangles& around, uint32_t t,
                            uint32_t a, uint32_t b) {
    if (a == b)
        return -1;
    int64_t found = -1;
    for (uint32_t i = around.Start[a]; i < around.Start[a + 1]; ++i) {
        const uint32_t s = around.Triangles[i];
        if (s == t || !HasCorner(surface.Faces[s], b))
            continue;
        if (found >= 0 && found != s)
            return -1;
        found = s;
    }
    return found;
}

void SetNeighbours(const TSurfaceData& surface, TTriangles& triangles) {
    auto set = [&](const auto& neighbours) {
        for (uint32_t t = 0; t < surface.Faces.size(); ++t) {
            TTriangle* triangle = triangles.TriangleAt(static_cast<int>(t));
            for (int k = 1; k <= 3; ++k)
                if (const int64_t other = neighbours[t][k - 1]; other >= 0)
                    triangle->SetNeighbour(k, triangles.TriangleAt(static_cast<int>(other)));
        }
    };
    if (surface.Neighbours.size() == surface.Faces.size())
        set(surface.Neighbours);
    else
        set(FaceNeighbours(surface));
}

int32_t SaturatedInt32(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

// The header a file of this mesh would carry, with coordinates and values stored as doubles so
// that nothing read is rounded.
void DeriveHeader(TVandrelTINModel& model, const TSurfaceData& surface) {
    TVRKHeader& h = model.Header;
    h = TVRKHeader{};
    h.FileMajorVersion = 1;
    h.FileMinorVersion = 0;
    std::memcpy(h.FileSignature, VRKSignature, sizeof VRKSignature - 1);
    const QByteArray name = surface.Name.toLatin1().left(sizeof h.DTMModelInternalName);
    std::memcpy(h.DTMModelInternalName, name.constData(), static_cast<std::size_t>(name.size()));
    h.CoordinateUnits = surface.Units;
    h.VertexValueUnits = surface.Units;
    h.InterpolationMethod = 1;

    const double coordinateResolution = model.CoordinateResolution;
    const double valueResolution = model.ValueResolution;
    model.CoordinateResolution = model.ValueResolution = 0; // every real 8 bytes: no rounding
    model.PrepareHeader();
    model.CoordinateResolution = coordinateResolution;
    model.ValueResolution = valueResolution;

    const int vertexNumber = h.VertexNumberSize, triangleNumber = h.TriangleNumberSize;
    const int64_t vertices = static_cast<int64_t>(surface.Points.size());
    const int64_t triangles = static_cast<int64_t>(surface.Faces.size());
    h.NumberOfVertices = SaturatedInt32(vertices);
    h.NumberOfTriangles = SaturatedInt32(triangles);
    h.VertexRecordSize = 3 * 8;
    h.TriangleRecordSize = static_cast<int16_t>(3 * vertexNumber + 3 * triangleNumber);
    h.EdgeRecordSize = static_cast<int16_t>(triangleNumber);
    h.StartPointRecordSize = static_cast<int16_t>(2 * 8 + triangleNumber);
    const int64_t vertexStart = sizeof(TVRKHeader);
    const int64_t triangleStart = vertexStart + vertices * h.VertexRecordSize;
    const int64_t end = triangleStart + triangles * h.TriangleRecordSize;
    h.StartOffsetOfVertices = SaturatedInt32(vertexStart);
    h.StartOffsetOfTriangles = SaturatedInt32(triangleStart);
    h.StartOffsetOfEdgeList = SaturatedInt32(end);
    h.StartOffsetOfStartPoints = SaturatedInt32(end);
}

void Fill(TVandrelTINModel& model, const TSurfaceData& surface) {
    TTriVertices& vertices = model.Vertices();
    vertices.SetCapacity(static_cast<int>(surface.Points.size()));
    for (const TSurfacePoint& p : surface.Points) {
        TTriVertex* vertex = vertices.CreateVertex(p.Easting, p.Northing, p.Value);
        vertex->Number = vertices.Count() + 1;
        vertices.Add(vertex);
    }
    TTriangles& triangles = model.Triangles();
    triangles.SetCapacity(static_cast<int>(surface.Faces.size()));
    for (const auto& face : surface.Faces) {
        TTriangle* triangle =
            triangles.CreateTriangle(vertices.VertexAt(static_cast<int>(face[0])),
                                     vertices.VertexAt(static_cast<int>(face[1])),
                                     vertices.VertexAt(static_cast<int>(face[2])));
        triangle->Number = triangles.Count() + 1;
        triangles.Add(triangle);
    }
    SetNeighbours(surface, triangles);
    model.InternalName = surface.Name.left(sizeof model.Header.DTMModelInternalName);
    DeriveHeader(model, surface);
}
} // namespace

std::vector<std::array<int64_t, 3>> FaceNeighbours(const TSurfaceData& surface) {
    const TPointTriangles around(surface);
    std::vector<std::array<int64_t, 3>> neighbours(surface.Faces.size());
    for (uint32_t t = 0; t < surface.Faces.size(); ++t) {
        const auto& face = surface.Faces[t];
        for (int k = 0; k < 3; ++k)
            neighbours[t][k] = OtherTriangleOnSide(surface, around, t, face[k], face[(k + 1) % 3]);
    }
    return neighbours;
}

void BuildModel(TVandrelTINModel& model, TSurfaceData&& surface) {
    if (surface.Faces.empty())
        throw ESurfaceReadError("no triangles: the file holds no surface");
    constexpr auto most = static_cast<std::size_t>(TBigList::MaxCapacity);
    if (surface.Points.size() > most || surface.Faces.size() > most)
        throw ESurfaceReadError("too many points or triangles for one model");
    model.Clear();
    try {
        Fill(model, surface);
    } catch (...) {
        model.Clear();
        ReturnFreeMemory();
        throw;
    }
}

std::array<int32_t, 3> TSurfaceView::FaceNeighbours(std::size_t i) const {
    std::array<uint32_t, 3> corners;
    std::array<int32_t, 3> neighbours;
    Face(i, corners, neighbours);
    return neighbours;
}

void TSurfaceView::ForEachPoint(const std::function<void(const TSurfacePoint&)>& visit) const {
    for (std::size_t i = 0; i < PointCount(); ++i)
        visit(Point(i));
}

TSurfaceData SurfaceOf(const TSurfaceView& view) {
    TSurfaceData surface;
    surface.Points.reserve(view.PointCount());
    for (std::size_t i = 0; i < view.PointCount(); ++i)
        surface.Points.push_back(view.Point(i));
    surface.Faces.resize(view.FaceCount());
    surface.Neighbours.resize(view.FaceCount());
    for (std::size_t i = 0; i < view.FaceCount(); ++i)
        view.Face(i, surface.Faces[i], surface.Neighbours[i]);
    return surface;
}
