#include "ElevationGrid.h"
#include "model/Geometry.h"
#include "model/Mesh.h"
#include "model/TriangleIndex.h"
#include "platform/Shares.h"

#include <algorithm>
#include <cmath>

namespace {
bool FrameExtent(const TTriangleMesh& mesh, double& minX, double& minY, double& maxX,
                 double& maxY) {
    mesh.Vertices().GetFiniteExtent(minX, minY, maxX, maxY);
    return minX <= maxX && minY <= maxY;
}

int64_t CellsAcross(double extent, double cell) {
    const double n = std::ceil(extent / cell);
    return n < 1 ? 1 : n > 1e12 ? int64_t(1e12) : int64_t(n);
}
} // namespace

QString GridFrameProblem(const TTriangleMesh& mesh, double cell, int64_t mostCells) {
    if (!(cell > 0) || !std::isfinite(cell))
        return "the cell size must be a number greater than 0";
    double minX, minY, maxX, maxY;
    if (!FrameExtent(mesh, minX, minY, maxX, maxY))
        return "the model has no extent to grid";
    const int64_t columns = CellsAcross(maxX - minX, cell), rows = CellsAcross(maxY - minY, cell);
    if (columns > (1 << 30) || rows > (1 << 30) || columns * rows > mostCells)
        return QString("a cell of %1 makes a grid of %2 by %3 cells, more than %4")
            .arg(cell)
            .arg(columns)
            .arg(rows)
            .arg(mostCells);
    return {};
}

TGridFrame GridFrameOver(const TTriangleMesh& mesh, double cell) {
    double minX, minY, maxX, maxY;
    FrameExtent(mesh, minX, minY, maxX, maxY);
    return {minX, maxY, cell, int(CellsAcross(maxX - minX, cell)),
            int(CellsAcross(maxY - minY, cell))};
}

namespace {
// The rows first..last-1: every triangle in collection order fills the unfilled cells of those
// rows whose centres it contains, as the look-up's scan would find them.
void SampleRows(const TTriangleMesh& mesh, const TGridFrame& frame, int first, int last,
                float noData, std::vector<float>& values) {
    const TTriangleIndex& index = mesh.Index();
    const TTriangles& triangles = mesh.Triangles();
    const size_t width = size_t(frame.Columns);
    std::vector<uint8_t> filled(size_t(last - first) * width, 0);
    const double top = frame.North - first * frame.Cell, bottom = frame.North - last * frame.Cell;
    for (int i = 0; i < triangles.Count(); ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        TTriangleIndex::TBox box{};
        const auto placement = index.Classify(t, box);
        if (placement == TTriangleIndex::TPlacement::Skip)
            continue;
        int c0 = 0, c1 = frame.Columns - 1, r0 = first, r1 = last - 1;
        if (placement == TTriangleIndex::TPlacement::Grid) {
            if (box.MaxY < bottom || box.MinY > top)
                continue;
            // The cells whose centres may lie in the box.
            auto column = [&](double x) { return (x - frame.West) / frame.Cell - 0.5; };
            auto row = [&](double y) { return (frame.North - y) / frame.Cell - 0.5; };
            c0 = int(std::clamp(std::ceil(column(box.MinX)), 0.0, double(frame.Columns)));
            c1 = int(std::clamp(std::floor(column(box.MaxX)), -1.0, double(frame.Columns - 1)));
            r0 = int(std::clamp(std::ceil(row(box.MaxY)), double(first), double(last)));
            r1 = int(std::clamp(std::floor(row(box.MinY)), double(first - 1), double(last - 1)));
        }
        for (int r = r0; r <= r1; ++r) {
            const double y = frame.CentreY(r);
            const size_t rowStart = size_t(r - first) * width;
            for (int c = c0; c <= c1; ++c) {
                if (filled[rowStart + size_t(c)])
                    continue;
                const double x = frame.CentreX(c);
                if (!t->Contains(x, y))
                    continue;
                filled[rowStart + size_t(c)] = 1;
                const double value = t->ValueAt(x, y);
                values[size_t(r) * width + size_t(c)] =
                    value == NullValue || std::isnan(value) ? noData : float(value);
            }
        }
    }
}
} // namespace

std::vector<float> SampleElevations(const TTriangleMesh& mesh, const TGridFrame& frame,
                                    float noData) {
    std::vector<float> values(size_t(frame.Columns) * size_t(frame.Rows), noData);
    mesh.Index(); // built once, before the shares read it
    const int shares = std::min(CoreCount(), frame.Rows);
    RunInShares(shares, frame.Rows, [&](int, int first, int last) {
        SampleRows(mesh, frame, first, last, noData, values);
    });
    return values;
}
