#pragma once
// The level of detail of the 3D view. The model's plan box is cut into a quadtree of tiles;
// each leaf holds the exact triangles whose centres fall in it, and every tile also gets a
// coarse version: a grid of GridCells x GridCells cells whose corners carry the exact surface
// elevation there (holes where no triangle is), with a skirt hanging from its border that
// hides the cracks where neighbouring tiles are drawn at other levels. A frame draws each part
// of the model at the coarsest version whose cells stay within a few pixels on the screen, and
// the exact triangles close to the eye.
//
// Coordinates are scene coordinates: metres from the model's centre, elevations not yet
// stretched (the shader applies the exaggeration). Widget-free; the arrays are what the GPU
// receives.
#include "OrbitCamera.h"
#include "platform/Memory.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class TTriangleMesh;

struct TTile {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0; // plan box
    float MinZ = 0, MaxZ = 0;                      // of the exact surface in it
    int Depth = 0;
    int Children[4] = {-1, -1, -1, -1};
    bool Leaf = false;                        // no children: its exact triangles are here
    int64_t FirstCorner = 0, CornerCount = 0; // its exact triangles in Corners, leaves only
};

// What a frame draws: tiles at their grid, and leaves exact.
struct TTileSelection {
    std::vector<int> Grids, Exact;
    int64_t Triangles = 0;
};

class TTerrainTiles {
public:
    static constexpr int GridCells = 32;
    static constexpr int GridVertices = (GridCells + 1) * (GridCells + 1) + 4 * (GridCells + 1);
    static constexpr int LeafTriangles = 16384;

    // Cuts the model into tiles and orders its triangles by leaf. With frame, the scene is
    // that one's, so that two surfaces are drawn together.
    explicit TTerrainTiles(const TTriangleMesh& mesh, const TTerrainTiles* frame = nullptr);
    // Samples every tile's grid, root first, a level at a time on every core; the levels done
    // can be drawn meanwhile (ReadyLevels). progress gets the tiles done and their number.
    // The model must not change meanwhile.
    void SampleGrids(const TTriangleMesh& mesh, const std::function<void(int, int)>& progress,
                     const std::atomic<bool>* cancel = nullptr);
    // For a single picture from this camera: samples only the grids its frame draws, which are
    // those it draws with every grid sampled, and marks every level ready; the others stay
    // empty. The frame's tiles.
    TTileSelection SampleGridsFor(const TTriangleMesh& mesh, const TOrbitCamera& camera, int height,
                                  double exaggeration);
    int ReadyLevels() const { return FReadyLevels.load(); }
    int Levels() const { return FLevels; }

    // The model's centre in its own coordinates: scene (0, 0, 0).
    double CentreE = 0, CentreN = 0, CentreZ = 0;
    TVec3 Low() const { return FLow; }
    TVec3 High() const { return FHigh; }
    const std::vector<TTile>& Tiles() const { return FTiles; }
    // x, y, z of every model vertex by its position in the collection (NaN for none).
    const TLargeArray<float>& Positions() const { return FPositions; }
    // Three vertex positions per exact triangle, grouped by leaf.
    const TLargeArray<uint32_t>& Corners() const { return FCorners; }
    // x, y, z and 1 (0 for a hole) of the GridVertices of every tile, tile after tile.
    const TLargeArray<float>& GridPoints() const { return FGridPoints; }
    // The triangles of one tile's grid and skirt, as indices into its GridVertices.
    static const std::vector<uint32_t>& GridPattern();
    static int GridPatternTriangles();

    // The tiles for a view: grids whose cells are under pixelError pixels wide on the screen,
    // the exact leaves where they would not be; the error is raised until the frame holds at
    // most budget triangles. The budget keeps a frame within 100 ms on a software renderer,
    // which draws a few million triangles a second on two cores.
    TTileSelection Select(const TOrbitCamera& camera, int height, double exaggeration,
                          double pixelError = 4, int64_t budget = 400000) const;
    // Bytes held beyond the model.
    size_t MemoryBytes() const;
    // Frees the exact triangles' arrays once the GPU holds them; the tiles keep their ranges.
    void ReleaseMeshArrays();

private:
    // The quadtree over the triangles of the codes from lowCode on that share the tile's
    // quadrants down to depth, whose run in the curve's order starts at firstOf(code); the
    // tile's index.
    int Build(int depth, double minX, double minY, double maxX, double maxY,
              const std::function<uint32_t(size_t code)>& firstOf, size_t lowCode = 0);
    // Every tile's elevation range, from its leaves' corners.
    void FindElevationRanges();
    // Samples the tile's grid; parent, when given, is the tile's parent, its grid sampled.
    void SampleTile(const TTriangleMesh& mesh, int tile, int parent = -1);
    // How far the skirt of a border (0 south, 1 east, 2 north, 3 west) of a sampled grid must
    // hang to fill the widest crack beside a tile drawn exact or at a coarser grid, at most
    // deepestPossible.
    float BorderDrop(const TTriangleMesh& mesh, const float* grid, int border,
                     double deepestPossible) const;
    TTileSelection SelectWith(const TOrbitCamera& camera, int height, double exaggeration,
                              double pixelError) const;

    std::vector<TTile> FTiles;
    TLargeArray<float> FPositions;
    TLargeArray<float> FGridPoints;
    TLargeArray<uint32_t> FCorners;
    TVec3 FLow, FHigh;
    int FLevels = 0;
    std::atomic<int> FReadyLevels{0};
};
