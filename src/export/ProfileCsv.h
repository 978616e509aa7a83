#pragma once
// A profile as CSV: a header line, then one row a breakpoint with distance, easting, northing,
// elevation (empty off the mesh) and the number of the triangle the profile runs through from
// there (empty where a gap begins). Numbers are written exactly, with a full stop.
#include "terrain/Profile.h"

class QIODevice;

void WriteProfileCsv(const std::vector<TProfilePoint>& profile, QIODevice& out);
