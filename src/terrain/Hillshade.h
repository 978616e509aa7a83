#pragma once
// Shading from each triangle's plane: light from the north-west, 45 degrees above the horizon,
// the elevations stretched by a vertical exaggeration.
#include "model/Mesh.h"

#include <cstdint>
#include <vector>

// The lit fraction 0..1 of a plane with the corners given; level ground gives sin 45 degrees.
// A triangle without a plane (collinear in plan, or not finite) is lit as level ground.
double HillshadeOf(const TTriVertex& a, const TTriVertex& b, const TTriVertex& c,
                   double exaggeration);
// The lit fraction of level ground.
double LevelGroundShade();

// Each triangle's shade as 0..255 by its position in the collection; 0 for an empty slot.
std::vector<uint8_t> TriangleShades(const TTriangles& triangles, double exaggeration);

// How a shade lights a tint: level ground leaves it, slopes toward the light brighten it by up
// to a quarter, slopes away darken it to 40 per cent.
double TintFactor(uint8_t shade);
