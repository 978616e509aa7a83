#include "ComparedSurface.h"
#include "model/Mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::shared_ptr<const TComparedSurface>
CompareSurfaceIn3D(const TTriangleMesh& model, const TTriangleMesh& other, double reach) {
    double minX, minY, maxX, maxY;
    model.Vertices().GetFiniteExtent(minX, minY, maxX, maxY);
    const double longest = std::max(maxX - minX, maxY - minY);
    if (!(longest > 0) || !std::isfinite(longest))
        return nullptr;
    auto compared = std::make_shared<TComparedSurface>();
    compared->Frame = GridFrameOver(minX, minY, maxX, maxY, longest / TComparedSurface::MostCells);
    compared->Elevations =
        SampleElevations(other, compared->Frame, std::numeric_limits<float>::quiet_NaN());
    compared->Reach = reach > 0 && std::isfinite(reach) ? reach : 1;
    return compared;
}
