#include "ElevationGrid.h"
#include "model/Geometry.h"
#include "model/Mesh.h"
#include "model/TriangleIndex.h"
#include "platform/Shares.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

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
    return GridFrameProblem(minX, minY, maxX, maxY, cell, mostCells);
}

QString GridFrameProblem(double minX, double minY, double maxX, double maxY, double cell,
                         int64_t mostCells) {
    if (!(cell > 0) || !std::isfinite(cell))
        return "the cell size must be a number greater than 0";
    if (!(minX < maxX) || !(minY < maxY) || !std::isfinite(maxX - minX) ||
        !std::isfinite(maxY - minY))
        return "the extent needs finite XMIN < XMAX and YMIN < YMAX";
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
    return GridFrameOver(minX, minY, maxX, maxY, cell);
}

std::optional<TGridFrame> GridFrameFor(const TTriangleMesh& mesh, double cell,
                                       const std::optional<std::array<double, 4>>& extent,
                                       QString& problem) {
    if (!extent) {
        problem = GridFrameProblem(mesh, cell, MostGridCells);
        return problem.isEmpty() ? std::optional(GridFrameOver(mesh, cell)) : std::nullopt;
    }
    const auto [minX, minY, maxX, maxY] = *extent;
    problem = GridFrameProblem(minX, minY, maxX, maxY, cell, MostGridCells);
    return problem.isEmpty() ? std::optional(GridFrameOver(minX, minY, maxX, maxY, cell))
                             : std::nullopt;
}

TGridFrame GridFrameOver(double minX, double minY, double maxX, double maxY, double cell) {
    return {minX, maxY, cell, int(CellsAcross(maxX - minX, cell)),
            int(CellsAcross(maxY - minY, cell))};
}

namespace {
constexpr uint32_t NoOwner = UINT32_MAX;

// The cells whose centres the triangle may contain: its box's (boxed), or every cell for a
// triangle a look-up tests everywhere. False when there are none.
bool CellsOf(const TTriangle* t, const TGridFrame& frame, int& c0, int& c1, int& r0, int& r1,
             bool& boxed) {
    TTriangleIndex::TBox box{};
    const auto placement = TTriangleIndex::Classify(t, box);
    if (placement == TTriangleIndex::TPlacement::Skip)
        return false;
    c0 = 0, c1 = frame.Columns - 1, r0 = 0, r1 = frame.Rows - 1;
    boxed = placement == TTriangleIndex::TPlacement::Grid;
    if (boxed) {
        auto column = [&](double x) { return (x - frame.West) / frame.Cell - 0.5; };
        auto row = [&](double y) { return (frame.North - y) / frame.Cell - 0.5; };
        c0 = int(std::clamp(std::ceil(column(box.MinX)), 0.0, double(frame.Columns)));
        c1 = int(std::clamp(std::floor(column(box.MaxX)), -1.0, double(frame.Columns - 1)));
        r0 = int(std::clamp(std::ceil(row(box.MaxY)), 0.0, double(frame.Rows)));
        r1 = int(std::clamp(std::floor(row(box.MinY)), -1.0, double(frame.Rows - 1)));
    }
    return c0 <= c1 && r0 <= r1;
}

// The rows of the column at x that the triangle's cut there may hold: the rows given, narrowed
// to the cut's span and a margin far wider than the rounding of Contains; all of them where the
// cut finds no span.
void RowsOnCut(const TPoint3D corners[3], const TGridFrame& frame, double x, int& r0, int& r1) {
    const TColumnCut cut = CutAtEasting(corners[0], corners[1], corners[2], x);
    if (!cut.Valid)
        return;
    const double size =
        std::max({std::abs(corners[0].Y - corners[1].Y), std::abs(corners[1].Y - corners[2].Y),
                  std::abs(corners[0].Y - corners[2].Y), frame.Cell});
    const double margin = 1e-7 * (size + std::abs(cut.Y1) + std::abs(cut.Y2));
    auto row = [&](double y) { return (frame.North - y) / frame.Cell - 0.5; };
    const double top = std::max(cut.Y1, cut.Y2) + margin;
    const double bottom = std::min(cut.Y1, cut.Y2) - margin;
    r0 = std::max(r0, int(std::clamp(std::ceil(row(top)), -1.0, double(frame.Rows))));
    r1 = std::min(r1, int(std::clamp(std::floor(row(bottom)), -1.0, double(frame.Rows))));
}

// Each cell gets the lowest position of the triangles first..last-1 that contain its centre,
// unless it has a lower one: the look-up's answer is the first in collection order.
void ClaimCells(const TTriangles& triangles, int first, int last, const TGridFrame& frame,
                TLargeArray<uint32_t>& owners) {
    const size_t width = size_t(frame.Columns);
    for (int i = first; i < last; ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        int c0, c1, r0, r1;
        bool boxed = false;
        if (!CellsOf(t, frame, c0, c1, r0, r1, boxed))
            continue;
        const TPoint3D corners[3] = {VertexPoint(*t->Vertex(1)), VertexPoint(*t->Vertex(2)),
                                     VertexPoint(*t->Vertex(3))};
        for (int c = c0; c <= c1; ++c) {
            const double x = frame.CentreX(c);
            int top = r0, bottom = r1;
            if (boxed) // a thin triangle may hold points far from its cut
                RowsOnCut(corners, frame, x, top, bottom);
            for (int r = top; r <= bottom; ++r) {
                std::atomic_ref<uint32_t> owner(owners[size_t(r) * width + size_t(c)]);
                uint32_t current = owner.load(std::memory_order_relaxed);
                if (current < uint32_t(i) || !t->Contains(x, frame.CentreY(r)))
                    continue;
                while (
                    current > uint32_t(i) &&
                    !owner.compare_exchange_weak(current, uint32_t(i), std::memory_order_relaxed))
                    ;
            }
        }
    }
}

// The values of rows first..last-1, a block of rows at a time column by column, so that the
// cells of one triangle in a column share its cut. Each value takes its owner's place.
void ValuesOfRows(const TTriangles& triangles, const TGridFrame& frame, int first, int last,
                  TLargeArray<uint32_t>& owners, float noData) {
    const size_t width = size_t(frame.Columns);
    constexpr int Block = 64;
    for (int top = first; top < last; top += Block) {
        const int bottom = std::min(last, top + Block);
        for (size_t c = 0; c < width; ++c) {
            const double x = frame.CentreX(int(c));
            uint32_t cutOwner = NoOwner;
            TColumnCut cut;
            for (int r = top; r < bottom; ++r) {
                const size_t cell = size_t(r) * width + c;
                if (owners[cell] == NoOwner) {
                    std::memcpy(&owners[cell], &noData, sizeof noData);
                    continue;
                }
                if (owners[cell] != cutOwner) {
                    cutOwner = owners[cell];
                    const TTriangle* t = triangles.TriangleAt(int(cutOwner));
                    cut = CutAtEasting(VertexPoint(*t->Vertex(1)), VertexPoint(*t->Vertex(2)),
                                       VertexPoint(*t->Vertex(3)), x);
                }
                double value = ValueOnCut(cut, frame.CentreY(r));
                if (value == NullValue) // a column through a vertex: the surface there
                    value =
                        triangles.TriangleAt(int(cutOwner))->SurfaceValueAt(x, frame.CentreY(r));
                const float known = value == NullValue || std::isnan(value) ? noData : float(value);
                std::memcpy(&owners[cell], &known, sizeof known);
            }
        }
    }
}
} // namespace

TLargeArray<float> SampleElevations(const TTriangleMesh& mesh, const TGridFrame& frame,
                                    float noData) {
    const TTriangles& triangles = mesh.Triangles();
    // The owners' array becomes the values' in place: a big grid is held once.
    TLargeArray<uint32_t> owners(size_t(frame.Columns) * size_t(frame.Rows), NoOwner);
    RunInShares(CoreCount(), triangles.Count(), [&](int, int first, int last) {
        ClaimCells(triangles, first, last, frame, owners);
    });
    RunInShares(std::min(CoreCount(), frame.Rows), frame.Rows, [&](int, int first, int last) {
        ValuesOfRows(triangles, frame, first, last, owners, noData);
    });
    return std::move(owners).Reinterpreted<float>();
}
