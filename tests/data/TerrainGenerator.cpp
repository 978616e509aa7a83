#include "TerrainGenerator.h"

#include <cmath>
#include <random>

TModelData GenerateTerrain(int columns, int rows, double cellSize, uint32_t seed,
                           double originEasting, double originNorthing) {
    TModelData data;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-0.3 * cellSize, 0.3 * cellSize);
    auto vertexNumber = [columns](int i, int j) { return j * (columns + 1) + i + 1; };
    data.Vertices.reserve(static_cast<size_t>(columns + 1) * (rows + 1));
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const bool inside = i > 0 && j > 0 && i < columns && j < rows;
            const double x = i * cellSize + (inside ? jitter(random) : 0);
            const double y = j * cellSize + (inside ? jitter(random) : 0);
            const double value =
                100 + 20 * std::sin(x / (7 * cellSize)) * std::cos(y / (11 * cellSize)) + 0.05 * x;
            data.Vertices.push_back({originEasting + x, originNorthing + y, value});
        }

    // Cell (i, j) holds the lower triangle (SW, SE, NE) as 2n-1 and the upper (SW, NE, NW) as 2n.
    auto lower = [columns](int i, int j) { return 2 * (j * columns + i) + 1; };
    auto upper = [columns](int i, int j) { return 2 * (j * columns + i) + 2; };
    data.Triangles.reserve(static_cast<size_t>(2) * columns * rows);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const int32_t sw = vertexNumber(i, j), se = vertexNumber(i + 1, j),
                          ne = vertexNumber(i + 1, j + 1), nw = vertexNumber(i, j + 1);
            data.Triangles.push_back({{sw, se, ne},
                                      {j > 0 ? upper(i, j - 1) : -1,
                                       i + 1 < columns ? upper(i + 1, j) : -1, upper(i, j)}});
            data.Triangles.push_back(
                {{sw, ne, nw},
                 {lower(i, j), j + 1 < rows ? lower(i, j + 1) : -1, i > 0 ? lower(i - 1, j) : -1}});
        }
    for (size_t t = 0; t < data.Triangles.size(); ++t)
        for (int32_t neighbour : data.Triangles[t].Neighbours)
            if (neighbour == -1) {
                data.Edges.push_back(static_cast<int32_t>(t + 1));
                break;
            }
    for (int s = 1; s <= 3; ++s) {
        const int i = columns * s / 4, j = rows * s / 4;
        const auto& v = data.Vertices[static_cast<size_t>(vertexNumber(i, j) - 1)];
        data.StartPoints.push_back({v.Easting, v.Northing, lower(i, j)});
    }
    return data;
}
