#pragma once
#include <functional>
// The model read from a file: a triangle mesh of the file's own vertex and triangle classes,
// with the header record, the model's internal name, the edge list and the start points.
#include "VRKHeader.h"
#include "model/Mesh.h"

#include <QString>

class TStream;

class TVRKVertex : public TTriVertex {
public:
    using TTriVertex::TTriVertex;
    const char* ClassName() const override { return "TVRKVertex"; }
    // Rounds the coordinates and value to the precision the header's field sizes store.
    void RoundToStoredPrecision(const TVRKHeader& header);
};

class TVRKVertices : public TTriVertices {
public:
    const char* ClassName() const override { return "TVRKVertices"; }
    TTriVertex* CreateVertex(double easting, double northing, double value) override;
    void RoundToStoredPrecision(const TVRKHeader& header);
};

class TVRKTriangle : public TTriangle {
public:
    using TTriangle::TTriangle;
    const char* ClassName() const override { return "TVRKTriangle"; }
};

class TVRKTriangles : public TTriangles {
public:
    const char* ClassName() const override { return "TVRKTriangles"; }
    TTriangle* CreateTriangle(TTriVertex* v1, TTriVertex* v2, TTriVertex* v3) override;
};

// The triangles named by the edge section; they belong to the triangle collection.
class TVRKEdges : public TObjectList {
public:
    const char* ClassName() const override { return "TVRKEdges"; }
};

class TVRKStartPoint : public TBaseObject {
public:
    TVRKStartPoint(TTriangle* triangle, double easting, double northing)
        : Northing(northing), Easting(easting), Triangle(triangle) {}
    const char* ClassName() const override { return "TVRKStartPoint"; }

    double Northing;
    double Easting;
    TTriangle* Triangle; // not owned
};

class TVRKStartPoints : public TOwnedObjectList {
public:
    const char* ClassName() const override { return "TVRKStartPoints"; }
    TVRKStartPoint* StartPoints(int i) const { return CheckedCast<TVRKStartPoint>(Objects(i)); }
};

class TVandrelTINModel : public TTriangleMesh {
public:
    TVandrelTINModel();
    ~TVandrelTINModel() override;
    const char* ClassName() const override { return "TVandrelTINModel"; }

    void CreateCollections() override;
    void PrepareHeader() override;
    void Clear() override;

    // Reads a whole model. On a failure once the previous model has been cleared, the model is
    // left empty (with the new header) before the error propagates.
    void ReadFromStream(TStream& stream);
    // Told during a read how many of the file's records have been read, of how many, about a
    // hundred times; the header has been read by then.
    std::function<void(int64_t done, int64_t total)> OnReadProgress;

    TVRKVertices& VRKVertices() const { return static_cast<TVRKVertices&>(*FVertices); }
    TVRKTriangles& VRKTriangles() const { return static_cast<TVRKTriangles&>(*FTriangles); }

    QString InternalName;
    TVRKEdges Edges;
    TVRKStartPoints StartPoints;
    double CoordinateResolution = 0.0001;
    double ValueResolution = 0.0001;
    TVRKHeader Header{};
};

// 4 when a single keeps the resolution over the range, else 8.
int RealSizeFor(double range, double resolution);
// 2 when the count fits a signed 16-bit number, else 4.
int NumberSizeFor(int count);
