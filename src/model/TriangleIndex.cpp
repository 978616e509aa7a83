#include "TriangleIndex.h"
#include "Geometry.h"
#include "platform/Memory.h"
#include "platform/Shares.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace {
// A triangle whose orientation is this small against its squared size has nearly collinear
// corners; rounding may then put far-away points inside it, so it is checked everywhere.
constexpr double ThinTriangle = 1e-6;
// Boxes are widened by this fraction of their coordinates' magnitude and span, far more than
// the rounding of the containment test can move a point.
constexpr double BoxMargin = 1e-9;
constexpr int MaxCellsPerTriangle = 64;
// Beyond this magnitude the products of the containment test, and the spans and margins of the
// boxes, may overflow: what such a triangle contains no longer follows from its box, so it is
// checked everywhere. Within it every product stays far below the largest double.
constexpr double LargeCoordinate = 1e150;

bool Moderate(double v) {
    return std::abs(v) <= LargeCoordinate; // false for NaN and the infinities too
}

// The triangles' vertices may lie anywhere: asking for them some triangles ahead lets the
// reads of a pass overlap.
void PrefetchAhead(const TTriangles& triangles, int i) {
    constexpr int Ahead = 16;
    if (i + Ahead < triangles.Count())
        if (const TTriangle* triangle = triangles.TriangleAt(i + Ahead))
            triangle->PrefetchVertices();
}

// A triangle with all its corners; the scan tests no other.
bool Testable(const TTriangle* triangle) {
    return triangle && triangle->HasCorners();
}

// The cell, 0 to cells - 1, that a position in cell units falls in; clamped before it becomes an
// integer, as a far-away or non-finite position has no integer (a NaN counts as the first).
int ClampedCell(double position, int cells) {
    if (!(position >= 0))
        return 0;
    return position >= cells ? cells - 1 : static_cast<int>(position);
}
} // namespace

TTriangleIndex::TPlacement TTriangleIndex::Classify(const TTriangle* triangle, TBox& box) {
    if (!Testable(triangle))
        return TPlacement::Skip;
    const TPoint3D a = VertexPoint(*triangle->Vertex(1));
    const TPoint3D b = VertexPoint(*triangle->Vertex(2));
    const TPoint3D c = VertexPoint(*triangle->Vertex(3));
    if (!Moderate(a.X) || !Moderate(a.Y) || !Moderate(b.X) || !Moderate(b.Y) || !Moderate(c.X) ||
        !Moderate(c.Y))
        return TPlacement::Everywhere;
    box = {std::min({a.X, b.X, c.X}), std::min({a.Y, b.Y, c.Y}), std::max({a.X, b.X, c.X}),
           std::max({a.Y, b.Y, c.Y})};
    const double spanX = box.MaxX - box.MinX;
    const double spanY = box.MaxY - box.MinY;
    const double size = std::max(spanX, spanY);
    if (std::abs(TurnValue(a, b, c)) <= ThinTriangle * size * size)
        return TPlacement::Everywhere;
    const double marginX = BoxMargin * (spanX + std::max(std::abs(box.MinX), std::abs(box.MaxX)));
    const double marginY = BoxMargin * (spanY + std::max(std::abs(box.MinY), std::abs(box.MaxY)));
    box.MinX -= marginX;
    box.MaxX += marginX;
    box.MinY -= marginY;
    box.MaxY += marginY;
    return TPlacement::Grid;
}

void TTriangleIndex::ChooseGrid(double minX, double minY, double maxX, double maxY,
                                int boxedCount) {
    const double width = std::max(maxX - minX, std::numeric_limits<double>::min());
    const double height = std::max(maxY - minY, std::numeric_limits<double>::min());
    // About three triangles a cell: a typical triangle's box then overlaps one to four cells, which
    // keeps the index near twelve bytes a triangle while a look-up tests two or three triangles,
    // each a wait on memory in a model of millions.
    const double cells = std::max(1.0, boxedCount / 3.0);
    const double side = std::sqrt(width * height / cells);
    auto count = [&](double extent) {
        const double n = side > 0 ? std::ceil(extent / side) : 1;
        return static_cast<int>(std::clamp(n, 1.0, 1.0 * (1 << 14)));
    };
    FColumns = count(width);
    FRows = count(height);
    while (static_cast<double>(FColumns) * FRows > 4.0 * cells + 16) {
        FColumns = std::max(1, FColumns / 2);
        FRows = std::max(1, FRows / 2);
    }
    FOriginX = minX;
    FOriginY = minY;
    FCellWidth = width / FColumns;
    FCellHeight = height / FRows;
}

int TTriangleIndex::CellX(double x) const {
    return ClampedCell((x - FOriginX) / FCellWidth, FColumns);
}

int TTriangleIndex::CellY(double y) const {
    return ClampedCell((y - FOriginY) / FCellHeight, FRows);
}

bool TTriangleIndex::CoversFewCells(const TBox& box) const {
    const double columns = (box.MaxX - box.MinX) / FCellWidth + 1;
    const double rows = (box.MaxY - box.MinY) / FCellHeight + 1;
    return columns * rows <= MaxCellsPerTriangle;
}

struct TTriangleIndex::TBounds {
    double MinX = INFINITY, MinY = INFINITY, MaxX = -INFINITY, MaxY = -INFINITY;
    int Boxed = 0;
    void Add(double x, double y) {
        MinX = std::min(MinX, x);
        MinY = std::min(MinY, y);
        MaxX = std::max(MaxX, x);
        MaxY = std::max(MaxY, y);
    }
    void Add(const TBounds& other) {
        Add(other.MinX, other.MinY);
        Add(other.MaxX, other.MaxY);
        Boxed += other.Boxed;
    }
    bool Covers(const TBox& box) const {
        return box.MinX >= MinX && box.MaxX <= MaxX && box.MinY >= MinY && box.MaxY <= MaxY;
    }
};

// The boxes of the triangles placed in the grid.
TTriangleIndex::TBounds TTriangleIndex::BoxBounds(const TTriangles& triangles) {
    const int shares = SharesFor(triangles.Count());
    std::vector<TBounds> shareBounds(static_cast<size_t>(shares));
    RunInShares(shares, triangles.Count(), [&](int share, int first, int last) {
        TBounds& bounds = shareBounds[size_t(share)];
        TBox box{};
        for (int i = first; i < last; ++i) {
            PrefetchAhead(triangles, i);
            if (Classify(triangles.TriangleAt(i), box) == TPlacement::Grid) {
                bounds.Add(box.MinX, box.MinY);
                bounds.Add(box.MaxX, box.MaxY);
                ++bounds.Boxed;
            }
        }
    });
    TBounds bounds;
    for (const TBounds& share : shareBounds)
        bounds.Add(share);
    return bounds;
}

// The same bounds from the vertices, a shorter pass: a placed triangle's corners are vertices of
// moderate coordinates, and every box's margin is less than the one added here. A triangle with a
// corner outside the collection may still lie beyond: placing the triangles tells.
TTriangleIndex::TBounds TTriangleIndex::VertexBounds(const TTriVertices& vertices,
                                                     int triangleCount) {
    const int shares = SharesFor(vertices.Count());
    std::vector<TBounds> shareBounds(static_cast<size_t>(shares));
    RunInShares(shares, vertices.Count(), [&](int share, int first, int last) {
        TBounds& bounds = shareBounds[size_t(share)];
        for (int i = first; i < last; ++i)
            if (const TTriVertex* v = vertices.VertexAt(i))
                if (Moderate(v->Easting) && Moderate(v->Northing))
                    bounds.Add(v->Easting, v->Northing);
    });
    TBounds bounds;
    for (const TBounds& share : shareBounds)
        bounds.Add(share);
    if (bounds.MinX > bounds.MaxX)
        return bounds; // no vertex: no box either
    const double marginX =
        2 * BoxMargin *
        (bounds.MaxX - bounds.MinX + std::max(std::abs(bounds.MinX), std::abs(bounds.MaxX)));
    const double marginY =
        2 * BoxMargin *
        (bounds.MaxY - bounds.MinY + std::max(std::abs(bounds.MinY), std::abs(bounds.MaxY)));
    bounds.MinX -= marginX;
    bounds.MaxX += marginX;
    bounds.MinY -= marginY;
    bounds.MaxY += marginY;
    bounds.Boxed = triangleCount;
    return bounds;
}

TTriangleIndex::TTriangleIndex(const TTriangles& triangles, const TTriVertices* vertices)
    : FTriangles(triangles) {
    const size_t count = static_cast<size_t>(triangles.Count());
    TLargeArray<TFootprint> footprints(count); // every one written by Place
    if (!vertices || !Place(VertexBounds(*vertices, triangles.Count()), footprints))
        Place(BoxBounds(triangles), footprints);
    Fill(footprints);
}

bool TTriangleIndex::Place(const TBounds& bounds, TLargeArray<TFootprint>& footprints) {
    if (bounds.Boxed == 0)
        ChooseGrid(0, 0, 0, 0, 0);
    else
        ChooseGrid(bounds.MinX, bounds.MinY, bounds.MaxX, bounds.MaxY, bounds.Boxed);
    // On every core; what a share finds is merged in share order, so the index is the same
    // whatever the count.
    const int count = FTriangles.Count(), shares = SharesFor(count);
    std::vector<std::vector<int32_t>> shareEverywhere(static_cast<size_t>(shares));
    std::atomic<bool> covered{true};
    RunInShares(shares, count, [&](int share, int first, int last) {
        TBox box{};
        for (int i = first; i < last; ++i) {
            PrefetchAhead(FTriangles, i);
            const TPlacement placement = Classify(FTriangles.TriangleAt(i), box);
            footprints[size_t(i)] = {0, 0, 0};
            if (placement == TPlacement::Grid && !bounds.Covers(box)) {
                covered = false;
                return;
            }
            if (placement == TPlacement::Grid && CoversFewCells(box)) {
                const int x0 = CellX(box.MinX), y0 = CellY(box.MinY);
                footprints[size_t(i)] = {uint32_t(y0) * uint32_t(FColumns) + uint32_t(x0),
                                         uint16_t(CellX(box.MaxX) - x0 + 1),
                                         uint16_t(CellY(box.MaxY) - y0 + 1)};
            } else if (placement != TPlacement::Skip) {
                shareEverywhere[size_t(share)].push_back(i);
            }
        }
    });
    if (!covered)
        return false;
    FEverywhere.clear();
    for (const auto& everywhere : shareEverywhere)
        FEverywhere.insert(FEverywhere.end(), everywhere.begin(), everywhere.end());
    return true;
}

void TTriangleIndex::Fill(const TLargeArray<TFootprint>& footprints) {
    // Counting and then filling keeps the entries in one array, in triangle order in a cell.
    auto forEachCell = [&](const TFootprint& f, auto&& action) {
        for (uint32_t row = 0, cell = f.FirstCell; row < f.Rows; ++row, cell += uint32_t(FColumns))
            for (uint32_t column = 0; column < f.Columns; ++column)
                action(cell + column);
    };
    const size_t cells = static_cast<size_t>(FColumns) * FRows;
    FCellStart = TLargeArray<uint32_t>(cells + 1, 0);
    for (size_t i = 0; i < footprints.size(); ++i)
        forEachCell(footprints[i], [&](uint32_t cell) { ++FCellStart[cell + 1]; });
    for (size_t cell = 1; cell <= cells; ++cell)
        FCellStart[cell] += FCellStart[cell - 1];
    FCellEntries = TLargeArray<int32_t>(FCellStart[cells]); // every entry written below
    // Two shares fill every cell from its two ends: the first share's triangles forward from the
    // cell's start, the second's backward from its end, so that the two meet in order.
    const size_t middle = footprints.size() / 2;
    RunInShares(std::min(SharesFor(int(footprints.size())), 2), 2, [&](int, int first, int last) {
        for (int half = first; half < last; ++half) {
            TLargeArray<uint32_t> next(cells);
            if (half == 0) {
                std::copy_n(FCellStart.data(), cells, next.data());
                for (size_t i = 0; i < middle; ++i)
                    forEachCell(footprints[i],
                                [&](uint32_t cell) { FCellEntries[next[cell]++] = int32_t(i); });
            } else {
                std::copy_n(FCellStart.data() + 1, cells, next.data());
                for (size_t i = footprints.size(); i-- > middle;)
                    forEachCell(footprints[i],
                                [&](uint32_t cell) { FCellEntries[--next[cell]] = int32_t(i); });
            }
        }
    });
}

TTriangle* TTriangleIndex::Find(double x, double y) const {
    // At a point this far out the side tests of any triangle may overflow, and a test that gives
    // no number fails: which triangles hold it no longer follows from their boxes.
    if (!Moderate(x) || !Moderate(y))
        return FirstContainingAnywhere(x, y);
    const int32_t* cellFirst = nullptr;
    const int32_t* cellLast = nullptr;
    const double fx = (x - FOriginX) / FCellWidth;
    const double fy = (y - FOriginY) / FCellHeight;
    if (fx >= 0 && fy >= 0 && fx < FColumns && fy < FRows) {
        const size_t cell = static_cast<size_t>(fy) * FColumns + static_cast<size_t>(fx);
        cellFirst = FCellEntries.data() + FCellStart[cell];
        cellLast = FCellEntries.data() + FCellStart[cell + 1];
    }
    // Merge the cell's list with the everywhere list, both ascending, and test in that order.
    auto everywhere = FEverywhere.begin();
    while (cellFirst != cellLast || everywhere != FEverywhere.end()) {
        int32_t position;
        if (everywhere == FEverywhere.end() || (cellFirst != cellLast && *cellFirst < *everywhere))
            position = *cellFirst++;
        else
            position = *everywhere++;
        TTriangle* triangle = FTriangles.TriangleAt(position);
        if (triangle->Contains(x, y))
            return triangle;
    }
    return nullptr;
}

TTriangle* TTriangleIndex::FirstContainingAnywhere(double x, double y) const {
    for (int i = 0; i < FTriangles.Count(); ++i) {
        TTriangle* triangle = FTriangles.TriangleAt(i);
        if (Testable(triangle) && triangle->Contains(x, y))
            return triangle;
    }
    return nullptr;
}

void TTriangleIndex::AddEverywhereAndSort(std::vector<int32_t>& positions) const {
    positions.insert(positions.end(), FEverywhere.begin(), FEverywhere.end());
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
}

bool TTriangleIndex::CandidatesInRect(double minX, double minY, double maxX, double maxY,
                                      std::vector<int32_t>& positions) const {
    if (!CandidatesInRectWithRepeats(minX, minY, maxX, maxY, positions))
        return false;
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return true;
}

bool TTriangleIndex::CandidatesInRectWithRepeats(double minX, double minY, double maxX, double maxY,
                                                 std::vector<int32_t>& positions) const {
    positions.clear();
    if (!(minX <= maxX && minY <= maxY))
        return false;
    const bool outside = maxX < FOriginX || maxY < FOriginY ||
                         minX > FOriginX + FColumns * FCellWidth ||
                         minY > FOriginY + FRows * FCellHeight;
    if (!outside) {
        const int x0 = CellX(minX), x1 = CellX(maxX), y0 = CellY(minY), y1 = CellY(maxY);
        const double cells = double(x1 - x0 + 1) * (y1 - y0 + 1);
        if (cells * 4 > double(FColumns) * FRows)
            return false;
        for (int cy = y0; cy <= y1; ++cy)
            for (int cx = x0; cx <= x1; ++cx) {
                const size_t cell = static_cast<size_t>(cy) * FColumns + cx;
                positions.insert(positions.end(), FCellEntries.data() + FCellStart[cell],
                                 FCellEntries.data() + FCellStart[cell + 1]);
            }
    }
    positions.insert(positions.end(), FEverywhere.begin(), FEverywhere.end());
    return true;
}

void TTriangleIndex::CandidatesAlongSegment(double x1, double y1, double x2, double y2,
                                            std::vector<int32_t>& positions) const {
    positions.clear();
    if (std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)) {
        if (x2 < x1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        // A little more than the rounding of a cell border can move.
        const double slack = FCellHeight * 1e-6;
        const int first = CellX(x1), last = CellX(x2);
        for (int cx = first; cx <= last; ++cx) {
            // The rows under the part of the segment over this column (all of it if vertical).
            double low = std::min(y1, y2), high = std::max(y1, y2);
            if (x2 != x1) {
                auto yAt = [&](double x) { return y1 + (x - x1) * (y2 - y1) / (x2 - x1); };
                const double left = yAt(std::max(x1, FOriginX + cx * FCellWidth));
                const double right = yAt(std::min(x2, FOriginX + (cx + 1) * FCellWidth));
                low = std::min(left, right);
                high = std::max(left, right);
                if (!std::isfinite(low) || !std::isfinite(high)) { // overflowed: every row
                    low = -INFINITY;
                    high = INFINITY;
                }
            }
            for (int cy = CellY(low - slack); cy <= CellY(high + slack); ++cy) {
                const size_t cell = static_cast<size_t>(cy) * FColumns + cx;
                positions.insert(positions.end(), FCellEntries.data() + FCellStart[cell],
                                 FCellEntries.data() + FCellStart[cell + 1]);
            }
        }
    }
    AddEverywhereAndSort(positions);
}
