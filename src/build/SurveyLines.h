#pragma once
// Breaklines and a site boundary for building a surface, from the files of GIS and CAD
// programs through OGR: GeoJSON, GeoPackage, Shapefile, DXF (polylines, 3D polylines).
#include "compare/Boundary.h"

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

// The first polygon of the file (its outer ring and holes). Raises ESurfaceReadError naming the
// file when it cannot be read or holds none.
TBoundary ReadBoundaryPolygon(const std::string& path);
