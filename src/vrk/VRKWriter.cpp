#include "VRKWriter.h"
#include "VRKMeshWriter.h"
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

// The model as the file writer reads a mesh.
class TModelMesh {
public:
    explicit TModelMesh(const TVandrelTINModel& model) : FModel(model) {}
    int64_t VertexCount() const { return FModel.Vertices().Count(); }
    TMeshVertex Vertex(int64_t i) const {
        const TTriVertex* v = FModel.Vertices().VertexAt(int(i));
        return {v->Easting, v->Northing, v->Value};
    }
    template <class TVisit> void ForEachVertex(const TVisit& visit) const {
        for (int i = 0; i < FModel.Vertices().Count(); ++i)
            visit(Vertex(i));
    }
    int64_t TriangleCount() const { return FModel.Triangles().Count(); }
    void Triangle(int64_t i, int32_t corners[3], int32_t neighbours[3]) const {
        const TTriangle* t = FModel.Triangles().TriangleAt(int(i));
        for (int k = 1; k <= 3; ++k) {
            corners[k - 1] = VertexNumberOf(FModel, t->Vertex(k));
            neighbours[k - 1] = TriangleNumberOf(FModel, t->Neighbour(k), true);
        }
    }
    std::vector<int32_t> EdgeTriangles() const {
        std::vector<int32_t> numbers;
        for (const TTriangle* t : ::EdgeTriangles(FModel))
            numbers.push_back(TriangleNumberOf(FModel, t, false));
        return numbers;
    }
    std::vector<TMeshStartPoint> StartPoints() const {
        std::vector<TMeshStartPoint> starts;
        for (int i = 0; i < FModel.StartPoints.Count(); ++i) {
            const TVRKStartPoint* p = FModel.StartPoints.StartPoints(i);
            starts.push_back(
                {p->Easting, p->Northing, TriangleNumberOf(FModel, p->Triangle, false)});
        }
        return starts;
    }

private:
    const TVandrelTINModel& FModel;
};
} // namespace

TVRKHeader HeaderForWriting(const TVandrelTINModel& model) {
    // The units and the interpolation method stay the model's.
    return VrkHeaderFor(TModelMesh(model), model.Header, model.InternalName);
}

void WriteVrkModel(const TVandrelTINModel& model, QIODevice& out) {
    const TModelMesh mesh(model);
    WriteVrkMesh(mesh, VrkHeaderFor(mesh, model.Header, model.InternalName), out);
}
