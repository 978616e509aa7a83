#pragma once
// Fills triangles into 32-bit pixels: with the colour ramp interpolated linearly across the
// triangle from its corners' elevations, with one grey, or with the ramp lit by a factor.
// Pixels are sampled at whole pixel coordinates. A pixel on a side shared by two triangles goes
// to exactly one of them, so a mesh fills without gaps or pixels drawn twice.
#include "ColourRamp.h"

#include <cstddef>
#include <cstdint>

struct TPixelTarget {
    uint32_t* Bits = nullptr; // 0xAARRGGBB, row after row
    int Width = 0, Height = 0;
    ptrdiff_t Stride = 0; // pixels from one row to the next
};

struct TFillCorner {
    double X, Y; // in pixels of the target
    double Value;
};

struct TFillStyle {
    const TColourRamp* Ramp = nullptr; // null: one colour
    uint32_t Colour = 0xFF808080;      // when there is no ramp
    int Light = 256;                   // the ramp's colour times Light / 256, clamped
};

void FillTriangle(const TPixelTarget& target, const TFillCorner& a, const TFillCorner& b,
                  const TFillCorner& c, const TFillStyle& style);
