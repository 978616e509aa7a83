#include "VRKModel.h"

TTriVertex* TVRKVertices::CreateVertex(double easting, double northing, double value) {
    return new TVRKVertex(easting, northing, value);
}

TTriangle* TVRKTriangles::CreateTriangle(TTriVertex* v1, TTriVertex* v2, TTriVertex* v3) {
    return new TVRKTriangle(v1, v2, v3);
}

TVandrelTINModel::TVandrelTINModel() {
    TVandrelTINModel::CreateCollections();
}

TVandrelTINModel::~TVandrelTINModel() {
    Edges.Clear();
    StartPoints.FreeAll();
}

void TVandrelTINModel::CreateCollections() {
    FVertices = std::make_unique<TVRKVertices>();
    FTriangles = std::make_unique<TVRKTriangles>();
}

void TVandrelTINModel::Clear() {
    TTriangleMesh::Clear();
    Edges.Clear();
    StartPoints.FreeAll();
    InternalName.clear();
}
