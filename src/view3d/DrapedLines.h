#pragma once
// Lines laid on the surface for the 3D view: contours at their level, and plan lines (the
// profile line, the boundary) through every crossing of a triangle side, so that they follow
// the ground exactly; where a line leaves the model it breaks.
#include "OrbitCamera.h"
#include "terrain/Contours.h"

#include <cstdint>
#include <vector>

class TTriangleMesh;

struct TLine3D {
    uint32_t Colour = 0xFF000000; // 0xAARRGGBB
    std::vector<TVec3> Points;    // easting, northing, elevation
};

std::vector<TLine3D> ContourLines3D(const std::vector<TContourLine>& contours, uint32_t colour);
// The parts of a plan line that lie on the model, at the surface's elevation.
std::vector<TLine3D> DrapeLine(const TTriangleMesh& mesh, const std::vector<TPlanPoint>& line,
                               uint32_t colour);
