#include "SurfaceModel.h"

TModelData SurfaceModel(int columns, int rows, double cellSize,
                        const std::function<double(double x, double y)>& elevation) {
    TModelData data = GenerateTerrain(columns, rows, cellSize);
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            auto& v = data.Vertices[static_cast<size_t>(j * (columns + 1) + i)];
            v.Easting = i * cellSize;
            v.Northing = j * cellSize;
            v.Value = elevation(v.Easting, v.Northing);
        }
    return data;
}
