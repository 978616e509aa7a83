#pragma once
// A uniform grid over the triangles' bounding boxes that answers "the first triangle in
// collection order that contains (x, y)" exactly as a scan of the whole collection would, in
// microseconds instead of tens of milliseconds.
//
// Triangles that contain points far outside their box (degenerate or nearly degenerate ones,
// whose corners lie on a line, and those with huge or non-finite coordinates) and triangles whose
// box spans many cells are kept in a list that every look-up checks.
#include "platform/Memory.h"

#include <cstdint>
#include <vector>

class TTriangle;
class TTriangles;
class TTriVertices;

class TTriangleIndex {
public:
    // Indexes the triangles as they are now; the index must be rebuilt when they change. The
    // collection of their vertices, when given, lays the grid sooner.
    explicit TTriangleIndex(const TTriangles& triangles, const TTriVertices* vertices = nullptr);
    // The point must be finite: the grid has no cell for any other. A point very far out is
    // tested against every triangle.
    TTriangle* Find(double x, double y) const;
    // The positions, ascending, of every triangle whose box may meet the rectangle (and of those
    // checked everywhere). False, with nothing collected, when the rectangle covers so much of
    // the grid that a pass over all triangles is cheaper.
    bool CandidatesInRect(double minX, double minY, double maxX, double maxY,
                          std::vector<int32_t>& positions) const;
    // The same triangles in no order, a triangle whose box spans several cells once for each:
    // for callers that skip repeats more cheaply than a sort.
    bool CandidatesInRectWithRepeats(double minX, double minY, double maxX, double maxY,
                                     std::vector<int32_t>& positions) const;

    // The positions, ascending, of every triangle whose box may meet the segment (and of those
    // checked everywhere): the cells the segment passes through, column by column.
    void CandidatesAlongSegment(double x1, double y1, double x2, double y2,
                                std::vector<int32_t>& positions) const;

    // Where a look-up can find a triangle: never (it lacks a corner), anywhere (it may contain
    // points far outside its corners' box), or only inside box, which is widened by the margin
    // of rounding. Those who rasterise triangles as the look-up finds them ask this.
    struct TBox {
        double MinX, MinY, MaxX, MaxY;
    };
    enum class TPlacement { Skip, Everywhere, Grid };
    static TPlacement Classify(const TTriangle* triangle, TBox& box);

    // The cells a triangle's box covers, found once: counting and filling then read no corner.
    // Columns is 0 for a triangle that no cell lists.
    struct TFootprint {
        uint32_t FirstCell;
        uint16_t Columns, Rows;
    };

private:
    struct TBounds; // where the grid lies, and how many triangles it places
    static TBounds BoxBounds(const TTriangles& triangles);
    static TBounds VertexBounds(const TTriVertices& vertices, int triangleCount);
    // Lays the grid over the bounds and finds every triangle's cells; false when a triangle's box
    // lies beyond the bounds.
    bool Place(const TBounds& bounds, TLargeArray<TFootprint>& footprints);
    void Fill(const TLargeArray<TFootprint>& footprints);
    void ChooseGrid(double minX, double minY, double maxX, double maxY, int boxedCount);
    int CellX(double x) const;
    int CellY(double y) const;
    bool CoversFewCells(const TBox& box) const;
    // The first triangle in collection order that holds the point, testing every one.
    TTriangle* FirstContainingAnywhere(double x, double y) const;
    // Adds the triangles checked everywhere, then sorts and drops repeats.
    void AddEverywhereAndSort(std::vector<int32_t>& positions) const;

    const TTriangles& FTriangles;
    double FOriginX = 0, FOriginY = 0, FCellWidth = 1, FCellHeight = 1;
    int FColumns = 0, FRows = 0;
    TLargeArray<uint32_t> FCellStart;  // FColumns * FRows + 1 offsets into FCellEntries
    TLargeArray<int32_t> FCellEntries; // triangle positions, ascending within a cell
    std::vector<int32_t> FEverywhere;  // triangle positions checked by every look-up
};
