#pragma once
// Breaklines, a site boundary and survey points for building a surface, from the files of GIS
// and CAD programs through OGR: GeoJSON, GeoPackage, Shapefile, DXF (points, polylines, 3D
// polylines).
#include "compare/Boundary.h"
#include "import/SurfaceData.h"

#include <array>
#include <string>
#include <vector>

// A breakline: its corners, with their elevations when the file gives them (NaN where not).
struct TBreakline {
    std::vector<std::array<double, 3>> Points;
};

// Every line of every layer, a polygon's rings as closed lines. Raises ESurfaceReadError naming
// the file when it cannot be read or holds no line.
std::vector<TBreakline> ReadBreaklines(const std::string& path);

// Whether the file's name is that of a GIS file these read (.geojson, .json, .gpkg, .shp, .dxf).
bool IsGisFileName(const std::string& path);

// Every point of every layer (multipoints too), with its elevation. Raises ESurfaceReadError
// naming the file when it cannot be read, holds no point, or a point has no elevation.
std::vector<TSurfacePoint> ReadGisPoints(const std::string& path);

// The boundary of the file's polygons (of the features where, an OGR SQL condition, picks):
// polygons, multipolygons, collections and closed lines (a DXF's closed polylines), several
// taken as their union, holes kept. Raises ESurfaceReadError naming the file when it cannot be
// read or holds none.
TBoundary ReadBoundaryPolygon(const std::string& path, const std::string& where = {});

// A polygon of a file, to pick: the condition that picks it ("FID = 3") and how the user knows
// it (its first text attribute, its number, its plan area).
struct TPolygonFeature {
    std::string Where, Label;
};
// The file's polygons to pick one from; none where it holds fewer than two, or holds them in
// more than one layer (all are taken then).
std::vector<TPolygonFeature> PolygonFeatures(const std::string& path);
