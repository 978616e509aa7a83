#include "Mesh.h"
#include "Geometry.h"
#include "ObjectPool.h"
#include "SideTable.h"
#include "TriangleIndex.h"
#include "platform/Shares.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <system_error>

void* TTriStoreObject::operator new(std::size_t size) {
    return ObjectPool::Allocate(size);
}

void TTriStoreObject::operator delete(void* object, std::size_t size) noexcept {
    ObjectPool::Release(object, size);
}

void TTriVertex::UpdateExtent(double& minEasting, double& minNorthing, double& minValue,
                              double& maxEasting, double& maxNorthing, double& maxValue) const {
    if (Easting < minEasting)
        minEasting = Easting;
    if (Easting > maxEasting)
        maxEasting = Easting;
    if (Northing < minNorthing)
        minNorthing = Northing;
    if (Northing > maxNorthing)
        maxNorthing = Northing;
    if (Value < minValue)
        minValue = Value;
    if (Value > maxValue)
        maxValue = Value;
}

int TTriangle::IndexOfVertex(const TTriVertex* vertex) const {
    if (vertex == Vertex(1))
        return 1;
    if (vertex == Vertex(2))
        return 2;
    return 3;
}

int TTriangle::SideOf(const TTriVertex* a, const TTriVertex* b) const {
    const int k = IndexOfVertex(a);
    return Vertex(NextSide(k)) == b ? k : PrevSide(k);
}

void TTriVertices::GetExtent(double& minEasting, double& minNorthing, double& minValue,
                             double& maxEasting, double& maxNorthing, double& maxValue) const {
    minEasting = minNorthing = minValue = 1e99;
    maxEasting = maxNorthing = maxValue = -1e99;
    for (int i = 0; i < Count(); ++i)
        if (const TTriVertex* vertex = VertexAt(i))
            vertex->UpdateExtent(minEasting, minNorthing, minValue, maxEasting, maxNorthing,
                                 maxValue);
}

void TTriVertices::GetFiniteExtent(double& minEasting, double& minNorthing, double& maxEasting,
                                   double& maxNorthing) const {
    minEasting = minNorthing = 1e99;
    maxEasting = maxNorthing = -1e99;
    for (int i = 0; i < Count(); ++i) {
        const TTriVertex* v = VertexAt(i);
        if (!v || !std::isfinite(v->Easting) || !std::isfinite(v->Northing))
            continue;
        minEasting = std::min(minEasting, v->Easting);
        maxEasting = std::max(maxEasting, v->Easting);
        minNorthing = std::min(minNorthing, v->Northing);
        maxNorthing = std::max(maxNorthing, v->Northing);
    }
    const double half = std::numeric_limits<double>::max() / 2;
    auto narrow = [half](double& low, double& high) {
        if (!std::isfinite(high - low)) {
            low = std::max(low, -half);
            high = std::min(high, half);
        }
    };
    narrow(minEasting, maxEasting);
    narrow(minNorthing, maxNorthing);
}

TTriVertex* TTriVertices::CreateVertex(double easting, double northing, double value) {
    return new TTriVertex(easting, northing, value);
}

TTriangles::~TTriangles() {
    FreeAll();
}

TTriangle* TTriangles::CreateTriangle(TTriVertex* v1, TTriVertex* v2, TTriVertex* v3) {
    return new TTriangle(v1, v2, v3);
}

TTriangle* TTriangles::ChooseTriangle(TTriangle* first, TTriangle* second) {
    TTriangle* chosen = first->Area() < second->Area() ? first : second;
    if (OnChooseTriangle)
        OnChooseTriangle(first, second, chosen);
    return chosen;
}

TTriangleMesh::TTriangleMesh() {
    TTriangleMesh::CreateCollections();
}

TTriangleMesh::~TTriangleMesh() {
    InvalidateIndex();
    FVertices.reset();
    FTriangles.reset();
}

void TTriangleMesh::CreateCollections() {
    FVertices = std::make_unique<TTriVertices>();
    FTriangles = std::make_unique<TTriangles>();
}

void TTriangleMesh::Clear() {
    InvalidateIndex();
    FTriangles->FreeAll();
    FVertices->FreeAll();
}

void TTriangleMesh::InvalidateIndex() const {
    if (FIndexAhead.valid())
        FIndexAhead.wait(); // it reads the triangles that are about to change
    FIndexAhead = {};       // a failure of that build goes with it
    FIndexAheadDone = {};
    FIndex.reset();
    FSideTable.reset();
}

const TSideTable& TTriangleMesh::SideTable() const {
    if (!FSideTable)
        FSideTable = std::make_unique<TSideTable>(*FTriangles);
    return *FSideTable;
}

void TTriangleMesh::BuildIndexAhead() const {
    InvalidateIndex();
    auto done = std::make_shared<std::promise<void>>();
    try {
        FIndexAhead = std::async(std::launch::async,
                                 [triangles = FTriangles.get(), vertices = FVertices.get(), done] {
                                     struct TSignal { // however the build ends
                                         std::promise<void>& Done;
                                         ~TSignal() { Done.set_value(); }
                                     } signal{*done};
                                     return std::make_unique<TTriangleIndex>(*triangles, vertices);
                                 });
        FIndexAheadDone = done->get_future().share();
    } catch (const std::system_error&) {
        // No thread to spare: the first look-up builds the index, as without this call.
    }
}

TTriangle* TTriangleMesh::FindTriangleByScan(double x, double y, double& value) const {
    const TTriangles& triangles = *FTriangles;
    for (int i = 0; i < triangles.Count(); ++i) {
        TTriangle* triangle = triangles.TriangleAt(i);
        if (triangle && triangle->HasCorners() && triangle->Contains(x, y)) {
            value = triangle->ValueAt(x, y);
            return triangle;
        }
    }
    return nullptr;
}

std::vector<TTriangleMesh::TFound>
TTriangleMesh::FindTriangles(const std::vector<std::pair<double, double>>& points) const {
    // A pass tests each point against every triangle: past a few points the index is cheaper.
    constexpr size_t MostPointsScanned = 4;
    std::vector<TFound> found(points.size());
    if (FIndex || FIndexAhead.valid() || points.size() > MostPointsScanned) {
        for (size_t p = 0; p < points.size(); ++p)
            found[p].Triangle = FindTriangle(points[p].first, points[p].second, found[p].Value);
        return found;
    }
    // Each share finds the first triangle of its part that holds each point; the lowest share
    // that found one has the first in collection order.
    const TTriangles& triangles = *FTriangles;
    const int shares = SharesFor(triangles.Count());
    std::vector<std::vector<TTriangle*>> firsts(size_t(shares),
                                                std::vector<TTriangle*>(points.size()));
    RunInShares(shares, triangles.Count(), [&](int share, int first, int last) {
        std::vector<TTriangle*>& mine = firsts[size_t(share)];
        size_t left = points.size();
        for (int i = first; i < last && left > 0; ++i) {
            if (i + 16 < last)
                if (const TTriangle* ahead = triangles.TriangleAt(i + 16))
                    ahead->PrefetchVertices();
            TTriangle* triangle = triangles.TriangleAt(i);
            if (!triangle || !triangle->HasCorners())
                continue;
            for (size_t p = 0; p < points.size(); ++p)
                if (!mine[p] && triangle->Contains(points[p].first, points[p].second)) {
                    mine[p] = triangle;
                    --left;
                }
        }
    });
    for (size_t p = 0; p < points.size(); ++p)
        for (const auto& share : firsts)
            if (TTriangle* triangle = share[p]) {
                found[p] = {triangle, triangle->ValueAt(points[p].first, points[p].second)};
                break;
            }
    return found;
}

const TTriangleIndex& TTriangleMesh::Index() const {
    if (FIndexAhead.valid())
        FIndex = FIndexAhead.get(); // a build that failed raises its failure here, once
    if (!FIndex)
        FIndex = std::make_unique<TTriangleIndex>(*FTriangles, FVertices.get());
    return *FIndex;
}

const TTriangleIndex* TTriangleMesh::IndexUnlessBuilding() const {
    const bool building = FIndexAhead.valid() && FIndexAhead.wait_for(std::chrono::seconds(0)) !=
                                                     std::future_status::ready;
    return building ? nullptr : &Index();
}

TTriangle* TTriangleMesh::FindSurfaceValue(double x, double y, double& value) const {
    double ignored;
    TTriangle* triangle = std::isfinite(x) && std::isfinite(y) ? Index().Find(x, y)
                                                               : FindTriangleByScan(x, y, ignored);
    if (triangle)
        value = triangle->SurfaceValueAt(x, y);
    return triangle;
}

TTriangle* TTriangleMesh::FindTriangle(double x, double y, double& value) const {
    // Every comparison with a point that is not finite fails, so every triangle holds it: the
    // scan finds the first at once.
    if (!std::isfinite(x) || !std::isfinite(y))
        return FindTriangleByScan(x, y, value);
    TTriangle* triangle = Index().Find(x, y);
    if (triangle)
        value = triangle->ValueAt(x, y);
    return triangle;
}
