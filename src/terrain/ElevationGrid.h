#pragma once
// An elevation grid sampled from the model exactly as a look-up answers: each cell holds the
// value at its centre of the first triangle in collection order that contains the centre, and
// no value where none does or that triangle has none. Rows run from north to south.
#include "platform/Memory.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class TTriangleMesh;

struct TGridFrame {
    double West = 0, North = 0, Cell = 1;
    int Columns = 0, Rows = 0;
    double CentreX(int column) const { return West + (column + 0.5) * Cell; }
    double CentreY(int row) const { return North - (row + 0.5) * Cell; }
};

// The grid of cells of that size over the model's finite extent, or why there can be none
// (a size that is not a positive number, a grid of more than the cells given).
QString GridFrameProblem(const TTriangleMesh& mesh, double cell, int64_t mostCells);
TGridFrame GridFrameOver(const TTriangleMesh& mesh, double cell);
// The same from the north-west corner of a chosen extent, so that the grids of several surveys
// align: the columns and rows that cover it.
QString GridFrameProblem(double minX, double minY, double maxX, double maxY, double cell,
                         int64_t mostCells);
TGridFrame GridFrameOver(double minX, double minY, double maxX, double maxY, double cell);

// The most cells a grid written for the user holds: a billion Float32 cells are 4 GB.
inline constexpr int64_t MostGridCells = 1000000000;
// The grid of cells of that size over the extent given (XMIN YMIN XMAX YMAX), else over the
// model's; none, with the reason, where there can be none of at most MostGridCells.
std::optional<TGridFrame> GridFrameFor(const TTriangleMesh& mesh, double cell,
                                       const std::optional<std::array<double, 4>>& extent,
                                       QString& problem);

// The grid's values, row after row; noData where there is no value. On every core.
TLargeArray<float> SampleElevations(const TTriangleMesh& mesh, const TGridFrame& frame,
                                    float noData);
