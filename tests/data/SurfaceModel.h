#pragma once
// Models of known surfaces for the terrain tests: an exact grid of columns x rows square cells,
// two triangles a cell as the terrain generator makes them, every elevation from a function.
#include "TerrainGenerator.h"

#include <functional>

TModelData SurfaceModel(int columns, int rows, double cellSize,
                        const std::function<double(double x, double y)>& elevation);
