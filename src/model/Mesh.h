#pragma once
// The in-memory triangulated irregular network: vertices, triangles with their neighbours, the
// two collections that own them and the mesh that holds both collections.
//
// Side k (1..3) of a triangle runs from Vertex(k) to Vertex(NextSide(k)); Neighbour(k) is the
// triangle across side k, or null on the model's boundary. Triangles refer to vertices and to
// other triangles without owning them; the collections own their items.
#include "MeshArena.h"
#include "ObjectLists.h"

#include <functional>
#include <future>
#include <memory>
#include <utility>
#include <vector>

class TSideTable;
class TTriangleIndex;

inline int NextSide(int k) {
    return k % 3 + 1;
}
inline int PrevSide(int k) {
    return (k + 1) % 3 + 1;
}

// The common base of vertices and triangles. Their storage comes from object pools: a model
// holds millions of them.
class TTriStoreObject : public TBaseObject {
public:
    const char* ClassName() const override { return "TTriStoreObject"; }
    static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size) noexcept;

    int Number = 0; // 1-based position in its collection
};

class TTriVertex : public TTriStoreObject {
public:
    TTriVertex(double easting, double northing, double value)
        : Northing(northing), Easting(easting), Value(value) {}
    const char* ClassName() const override { return "TTriVertex"; }
    // Widens the six extremes by this vertex.
    void UpdateExtent(double& minEasting, double& minNorthing, double& minValue, double& maxEasting,
                      double& maxNorthing, double& maxValue) const;

    double Northing;
    double Easting;
    double Value;
};

class TTriangle : public TTriStoreObject {
public:
    TTriangle(TTriVertex* v1, TTriVertex* v2, TTriVertex* v3)
        : FVertex{MeshArena::Reference(v1), MeshArena::Reference(v2), MeshArena::Reference(v3)} {}
    const char* ClassName() const override { return "TTriangle"; }

    // k runs from 1 to 3.
    TTriVertex* Vertex(int k) const {
        return static_cast<TTriVertex*>(MeshArena::Object(FVertex[k - 1]));
    }
    void SetVertex(int k, TTriVertex* vertex) { FVertex[k - 1] = MeshArena::Reference(vertex); }
    TTriangle* Neighbour(int k) const {
        return static_cast<TTriangle*>(MeshArena::Object(FNeighbour[k - 1]));
    }
    void SetNeighbour(int k, TTriangle* triangle) {
        FNeighbour[k - 1] = MeshArena::Reference(triangle);
    }

    // False for a triangle that lacks a corner, which holds no point.
    bool HasCorners() const { return FVertex[0] && FVertex[1] && FVertex[2]; }
    // 1 or 2 when vertex is Vertex(1) or Vertex(2), else 3 (also for a vertex not in it).
    int IndexOfVertex(const TTriVertex* vertex) const;
    // The side joining a and b, in either direction.
    int SideOf(const TTriVertex* a, const TTriVertex* b) const;

    // Geometry (Geometry.cpp).
    double Area() const;
    bool IsClockwise() const;
    void SideLengths(int& shortestSide, int& longestSide, double& shortest, double& longest) const;
    bool CrossesNeighbour(int k) const;
    bool Contains(double x, double y) const;
    double ValueAt(double x, double y) const;
    // SurfaceValueInTriangle of the corners.
    double SurfaceValueAt(double x, double y) const;

    // Asks memory for the vertices and neighbours some triangles before they are read: a
    // walk over millions of triangles otherwise waits on every one of them in turn.
    void PrefetchLinks() const {
        PrefetchVertices();
        for (uint32_t neighbour : FNeighbour)
            __builtin_prefetch(MeshArena::Object(neighbour));
    }
    void PrefetchVertices() const {
        for (uint32_t vertex : FVertex)
            __builtin_prefetch(MeshArena::Object(vertex));
    }

private:
    // Compact references (MeshArena): a model holds tens of millions of triangles.
    uint32_t FVertex[3];
    uint32_t FNeighbour[3] = {0, 0, 0};
};

// The vertices of a mesh; owns them.
class TTriVertices : public TOwnedObjectList {
public:
    const char* ClassName() const override { return "TTriVertices"; }
    TTriVertex* Vertex(int i) const { return CheckedCast<TTriVertex>(Objects(i)); }
    // Unchecked access for loops over 0..Count-1 of a collection that holds only vertices.
    TTriVertex* VertexAt(int i) const { return static_cast<TTriVertex*>(At(i)); }
    void GetExtent(double& minEasting, double& minNorthing, double& minValue, double& maxEasting,
                   double& maxNorthing, double& maxValue) const;
    // The plan extent of the vertices whose easting and northing are finite, narrowed where
    // its width or height would not be: what a view can show. Empty (1e99 to -1e99) when none is.
    void GetFiniteExtent(double& minEasting, double& minNorthing, double& maxEasting,
                         double& maxNorthing) const;
    virtual TTriVertex* CreateVertex(double easting, double northing, double value);
};

// A list of triangles that does not own them.
class TTriangleList : public TObjectList {
public:
    const char* ClassName() const override { return "TTriangleList"; }
    TTriangle* Triangle(int i) const { return CheckedCast<TTriangle>(Objects(i)); }
    TTriangle* TriangleAt(int i) const { return static_cast<TTriangle*>(At(i)); }
};

// The triangles of a mesh: freed by the destructor, but not by ClearSlot or Remove.
class TTriangles : public TTriangleList {
public:
    using TChooseTriangleEvent =
        std::function<void(TTriangle* first, TTriangle* second, TTriangle*& chosen)>;

    ~TTriangles() override;
    const char* ClassName() const override { return "TTriangles"; }
    virtual TTriangle* CreateTriangle(TTriVertex* v1, TTriVertex* v2, TTriVertex* v3);
    // The triangle of smaller area (the second on a tie), as the event may change it.
    virtual TTriangle* ChooseTriangle(TTriangle* first, TTriangle* second);

    TChooseTriangleEvent OnChooseTriangle;
};

class TTriangleMesh : public TBaseObject {
public:
    TTriangleMesh();
    ~TTriangleMesh() override;
    TTriangleMesh(const TTriangleMesh&) = delete;
    TTriangleMesh& operator=(const TTriangleMesh&) = delete;
    const char* ClassName() const override { return "TTriangleMesh"; }

    // Makes the two collections. A constructor cannot reach an override, so a derived mesh
    // calls its own override from its constructor; that replaces the empty base collections.
    virtual void CreateCollections();
    virtual void PrepareHeader() {}
    // Frees every triangle, then every vertex.
    virtual void Clear();

    TTriVertices& Vertices() const { return *FVertices; }
    TTriangles& Triangles() const { return *FTriangles; }

    // The first triangle in collection order that contains (x, y), with the value there; null
    // (and value untouched) when none does.
    TTriangle* FindTriangle(double x, double y, double& value) const;
    // The same answer by scanning every triangle (those without their three vertices are never
    // found); FindTriangle answers through an index.
    TTriangle* FindTriangleByScan(double x, double y, double& value) const;
    // The triangle FindTriangle finds, with the surface's value there (SurfaceValueAt): a
    // sample with no hole where the point's column passes through a vertex.
    TTriangle* FindSurfaceValue(double x, double y, double& value) const;
    // FindTriangle for each point, null where none holds it. A few points are looked for in one
    // pass over the triangles on every core, which costs less than building the index; more
    // points, or a mesh whose index is there or on its way, go through the index.
    struct TFound {
        TTriangle* Triangle = nullptr;
        double Value = 0;
    };
    std::vector<TFound> FindTriangles(const std::vector<std::pair<double, double>>& points) const;
    // The look-up index over the triangles, built at the first use.
    const TTriangleIndex& Index() const;
    // Starts building the look-up index on another thread, so that it is ready, or nearly, when
    // the first look-up asks: Index() waits for it. The triangles must not change meanwhile;
    // InvalidateIndex() waits for the build to end.
    void BuildIndexAhead() const;
    // The look-up index, or null while it is being built ahead: for work that can do without
    // it, such as drawing the whole model.
    const TTriangleIndex* IndexUnlessBuilding() const;
    // Ready once the index built ahead is (at once when none is being built): for work ahead of
    // its own that should wait its turn. Asked on the thread that started the build.
    std::shared_future<void> IndexAheadDone() const { return FIndexAheadDone; }
    // Drops the look-up index and the side table; whoever changes the triangles calls it.
    void InvalidateIndex() const;
    // The triangles' corners and sides in flat arrays, built at the first use: for passes over
    // every side of the model.
    const TSideTable& SideTable() const;

protected:
    std::unique_ptr<TTriVertices> FVertices;
    std::unique_ptr<TTriangles> FTriangles;

private:
    mutable std::unique_ptr<TTriangleIndex> FIndex;
    mutable std::unique_ptr<TSideTable> FSideTable;
    mutable std::future<std::unique_ptr<TTriangleIndex>> FIndexAhead;
    mutable std::shared_future<void> FIndexAheadDone;
};
