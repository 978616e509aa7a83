#pragma once
// The other surface a model is compared with, for the 3D view's cut and fill colours: its
// elevations on a grid over the model's plan box, fine enough for a screen (at most MostCells a
// side), which the shader reads beside each point of the model's ground to colour d = other - z.
#include "terrain/ElevationGrid.h"

#include <memory>

struct TComparedSurface {
    static constexpr int MostCells = 2048;
    TGridFrame Frame;
    TLargeArray<float> Elevations; // row after row from the north; NaN where other is not
    double Reach = 1;              // of the cut and fill ramp, -Reach..Reach: the plan's
};

// other sampled over model's plan box; none for a model without a finite extent.
std::shared_ptr<const TComparedSurface>
CompareSurfaceIn3D(const TTriangleMesh& model, const TTriangleMesh& other, double reach);
