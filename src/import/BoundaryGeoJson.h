#pragma once
// A boundary polygon from GeoJSON: a Polygon, a Feature holding one, or the first Polygon
// feature of a FeatureCollection. Its coordinates are taken as they are, in the model's plan
// system.
#include "compare/Boundary.h"

#include <QByteArray>
#include <string>

// Raises ESurfaceReadError when the text holds no usable polygon.
TBoundary BoundaryFromGeoJson(const QByteArray& text);
// The file at path, as the system names it; EFOpenError when it cannot be read.
TBoundary ReadBoundaryGeoJson(const std::string& path);
