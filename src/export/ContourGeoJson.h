#pragma once
// Contours as GeoJSON: a FeatureCollection of LineString features, each with its "level" (and
// whether it is an index contour), coordinates as the model's easting and northing written
// exactly.
#include "terrain/Contours.h"

class QIODevice;

// withElevation gives every point its level as a third coordinate, as GIS libraries write
// lines of known elevation.
void WriteContoursGeoJson(const std::vector<TContourLine>& lines, QIODevice& out,
                          bool withElevation = false);
