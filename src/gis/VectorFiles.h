#pragma once
// Lines for GIS and CAD programs, written through OGR: GeoPackage, Shapefile, DXF and GeoJSON.
// Every layer carries the coordinate system when there is one. GeoJSON follows RFC 7946: with
// a system its coordinates are turned into longitude and latitude; without one they are written
// as they are. In DXF each line is a 3D polyline on the layer its DxfLayer names.
#include "compare/Boundary.h"
#include "compare/Difference.h"
#include "terrain/Contours.h"
#include "terrain/Profile.h"

#include <QString>

#include <array>
#include <vector>

class TCoordinateSystem;

enum class TVectorFormat { GeoPackage, Shapefile, Dxf, GeoJson };

// "gpkg, shp, dxf or geojson": the names --format takes, for messages.
extern const char VectorFormatNames[];
bool VectorFormatFromName(const QString& name, TVectorFormat& format);
// .gpkg, .shp, .dxf, .geojson or .json.
bool VectorFormatFromExtension(const QString& fileName, TVectorFormat& format);

struct TVectorLine {
    std::vector<std::array<double, 3>> Points; // easting, northing, elevation
    double Level = 0;
    bool Index = false;
    bool Closed = false; // a ring: the last point is the first
    QString DxfLayer;
};

// The contours as lines at their level: "level" and "index" attributes, index and
// intermediate contours on the DXF layers "CONTOUR_INDEX" and "CONTOUR".
std::vector<TVectorLine> ContourVectorLines(const std::vector<TContourLine>& contours);

// The profile's stretches on the model as 3D lines through its breakpoints, a new line after
// each gap; on the DXF layer "PROFILE".
std::vector<TVectorLine> ProfileVectorLines(const std::vector<TProfilePoint>& profile);

// Where two surfaces meet (the segments of the line d = 0), each at the elevation of the
// surfaces there; NaN where the mesh has none.
std::vector<TVectorLine> ZeroLineVectorLines(const std::vector<TPlanSegment>& segments,
                                             const TTriangleMesh& mesh);

// Writes the polygon (outer ring, then holes) as one feature of a polygon layer, whole or not
// at all (EFWriteError). DXF takes each ring as a closed polyline outline on the layer
// "BOUNDARY". lengthUnits is the model's (1 metres, 2 feet, 3 US survey feet): a DXF file's
// header names them.
void WriteVectorPolygon(const QString& fileName, TVectorFormat format, const QString& layerName,
                        const TBoundary& polygon, const TCoordinateSystem* system,
                        int lengthUnits = 1);

// Writes the lines as one layer of that name, whole or not at all (EFWriteError).
// withAttributes: the "level" and "index" fields. A DXF file names the units and marks rings
// closed.
void WriteVectorLines(const QString& fileName, TVectorFormat format, const QString& layerName,
                      const std::vector<TVectorLine>& lines, bool withAttributes,
                      const TCoordinateSystem* system, int lengthUnits = 1);
