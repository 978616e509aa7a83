#pragma once
// The coordinate systems PROJ's database names by EPSG code, to choose from by name or code.
#include <QString>

#include <vector>

struct TKnownSystem {
    QString Code; // "EPSG:32616"
    QString Name; // "WGS 84 / UTM zone 16N"
};

// Projected and two-dimensional geographic systems that are not deprecated, by code number;
// read from the database once. Empty when the database cannot be read.
const std::vector<TKnownSystem>& KnownSystems();
