#include "TerrainTiles.h"
#include "model/Geometry.h"
#include "model/TriangleIndex.h"
#include "platform/Exceptions.h"
#include "platform/Shares.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {
constexpr int G = TTerrainTiles::GridCells;

bool Finite(const TTriVertex* v) {
    return v && std::isfinite(v->Easting) && std::isfinite(v->Northing) && std::isfinite(v->Value);
}

// The lattice point of a tile's grid at border b (south, east, north, west, each walked
// anticlockwise) and step k.
int BorderPoint(int b, int k) {
    switch (b) {
    case 0:
        return k;
    case 1:
        return k * (G + 1) + G;
    case 2:
        return G * (G + 1) + (G - k);
    default:
        return (G - k) * (G + 1);
    }
}

double DistanceToBox(TVec3 eye, const TTile& tile, double exaggeration) {
    auto gap = [](double v, double low, double high) {
        return v < low ? low - v : v > high ? v - high : 0.0;
    };
    const TVec3 d{gap(eye.X, tile.MinX, tile.MaxX), gap(eye.Y, tile.MinY, tile.MaxY),
                  gap(eye.Z, tile.MinZ * exaggeration, tile.MaxZ * exaggeration)};
    return std::sqrt(Dot(d, d));
}
} // namespace

namespace {
// The lines of a tile's grid, as its sampling sums them.
struct TGridLines {
    explicit TGridLines(const TTile& tile)
        : Tile(tile), StepX((tile.MaxX - tile.MinX) / G), StepY((tile.MaxY - tile.MinY) / G) {}
    double X(int i) const { return i == G ? Tile.MaxX : Tile.MinX + i * StepX; }
    double Y(int j) const { return j == G ? Tile.MaxY : Tile.MinY + j * StepY; }
    const TTile& Tile;
    double StepX, StepY;
};

bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Triangles are ordered along a Z curve over a grid of 2^CodeLevels cells a side: the triangles
// of every tile of the quadtree down to that depth are then one run of that order.
constexpr int CodeLevels = 11;
constexpr uint32_t NoCode = 0xFFFFFFFFu;

uint32_t SpreadBits(uint32_t v) {
    v &= 0xFFFF;
    v = (v | (v << 8)) & 0x00FF00FF;
    v = (v | (v << 4)) & 0x0F0F0F0F;
    v = (v | (v << 2)) & 0x33333333;
    v = (v | (v << 1)) & 0x55555555;
    return v;
}
} // namespace

TTerrainTiles::TTerrainTiles(const TTriangleMesh& mesh, const TTerrainTiles* frame) {
    const TTriVertices& vertices = mesh.Vertices();
    const TTriangles& triangles = mesh.Triangles();
    // The extent on every core. Each share keeps the first of equal extremes (-0 and 0), and the
    // shares are joined in order: the extremes of one pass in order, to the bit.
    struct TExtent {
        double MinE = INFINITY, MinN = INFINITY, MinZ = INFINITY;
        double MaxE = -INFINITY, MaxN = -INFINITY, MaxZ = -INFINITY;
        void Widen(double e, double n, double z) {
            MinE = std::min(MinE, e), MaxE = std::max(MaxE, e);
            MinN = std::min(MinN, n), MaxN = std::max(MaxN, n);
            MinZ = std::min(MinZ, z), MaxZ = std::max(MaxZ, z);
        }
        void Join(const TExtent& next) {
            MinE = std::min(MinE, next.MinE), MaxE = std::max(MaxE, next.MaxE);
            MinN = std::min(MinN, next.MinN), MaxN = std::max(MaxN, next.MaxN);
            MinZ = std::min(MinZ, next.MinZ), MaxZ = std::max(MaxZ, next.MaxZ);
        }
    };
    std::vector<TExtent> extents(size_t(SharesFor(vertices.Count())));
    RunInShares(int(extents.size()), vertices.Count(), [&](int share, int first, int last) {
        TExtent& extent = extents[size_t(share)];
        for (int i = first; i < last; ++i)
            if (const TTriVertex* v = vertices.VertexAt(i); Finite(v))
                extent.Widen(v->Easting, v->Northing, v->Value);
    });
    TExtent whole;
    for (const TExtent& extent : extents)
        whole.Join(extent);
    double minE = whole.MinE, minN = whole.MinN, minZ = whole.MinZ;
    double maxE = whole.MaxE, maxN = whole.MaxN, maxZ = whole.MaxZ;
    if (!(minE <= maxE))
        minE = maxE = minN = maxN = minZ = maxZ = 0;
    CentreE = frame ? frame->CentreE : (minE + maxE) / 2;
    CentreN = frame ? frame->CentreN : (minN + maxN) / 2;
    CentreZ = frame ? frame->CentreZ : (minZ + maxZ) / 2;
    FLow = {minE - CentreE, minN - CentreN, minZ - CentreZ};
    FHigh = {maxE - CentreE, maxN - CentreN, maxZ - CentreZ};
    FHigh.X = std::max(FHigh.X, FLow.X + 1e-6);
    FHigh.Y = std::max(FHigh.Y, FLow.Y + 1e-6);

    // The GPU's buffers are sized by an int.
    constexpr int64_t MostBytes = std::numeric_limits<int>::max();
    if (int64_t(vertices.Count()) * 3 * 4 > MostBytes ||
        int64_t(triangles.Count()) * 3 * 4 > MostBytes)
        throw Exception("The model has too many triangles for the 3D view: at most " +
                        std::to_string(MostBytes / 12) + ".");
    // Each drawable triangle's place on the Z curve, by its centre, and its corners' positions,
    // read here with the corners' coordinates so that the sort below moves them in order. Each
    // share counts its triangles of every code as it goes.
    const int count = triangles.Count();
    const int shares = SharesFor(count);
    const size_t buckets = size_t(1) << (2 * CodeLevels);
    // Per share and code: 16 MB a share whatever the model's size, on huge pages.
    std::vector<TLargeArray<uint32_t>> places(static_cast<size_t>(shares));
    TLargeArray<uint32_t> codes(static_cast<size_t>(count)); // every one written below
    TLargeArray<uint32_t> corners(size_t(count) * 3);        // those of drawable triangles
    const double cells = double(1 << CodeLevels);
    const double scaleX = cells / (FHigh.X - FLow.X), scaleY = cells / (FHigh.Y - FLow.Y);
    RunInShares(shares, count, [&](int share, int first, int last) {
        TLargeArray<uint32_t>& counts = places[size_t(share)];
        counts = TLargeArray<uint32_t>(buckets, 0);
        for (int i = first; i < last; ++i) {
            const TTriangle* t = triangles.TriangleAt(i);
            bool drawable = t != nullptr;
            double x = 0, y = 0;
            for (int k = 1; k <= 3 && drawable; ++k) {
                const TTriVertex* v = t->Vertex(k);
                drawable = Finite(v) && v->Number >= 1 && v->Number <= vertices.Count();
                if (drawable) {
                    x += v->Easting, y += v->Northing;
                    corners[size_t(i) * 3 + size_t(k - 1)] = uint32_t(v->Number - 1);
                }
            }
            if (!drawable) {
                codes[size_t(i)] = NoCode;
                continue;
            }
            const double cx = (x / 3 - CentreE - FLow.X) * scaleX;
            const double cy = (y / 3 - CentreN - FLow.Y) * scaleY;
            const auto cell = [&](double c) { return uint32_t(std::clamp(c, 0.0, cells - 1)); };
            const uint32_t code = SpreadBits(cell(cx)) | (SpreadBits(cell(cy)) << 1);
            codes[size_t(i)] = code;
            ++counts[code];
        }
    });
    // A counting sort by code: the triangles in curve order, those of one code in collection
    // order (each share's after the earlier shares'). The first share's first place for a code
    // is the code's first place, where the quadtree finds its tiles' runs.
    uint32_t placed = 0;
    for (size_t code = 0; code < buckets; ++code)
        for (TLargeArray<uint32_t>& counts : places) {
            const uint32_t n = counts[code];
            counts[code] = placed; // the share's first place for the code
            placed += n;
        }
    const TLargeArray<uint32_t>& firstOfCode = places.front();
    Build(0, FLow.X, FLow.Y, FHigh.X, FHigh.Y,
          [&](size_t code) { return code < buckets ? firstOfCode[code] : placed; });
    FCorners = TLargeArray<uint32_t>(size_t(placed) * 3);
    RunInShares(shares, count, [&](int share, int first, int last) {
        TLargeArray<uint32_t>& place = places[size_t(share)];
        for (int i = first; i < last; ++i)
            if (const uint32_t code = codes[size_t(i)]; code != NoCode) {
                const size_t to = place[code]++;
                for (size_t k = 0; k < 3; ++k)
                    FCorners[to * 3 + k] = corners[size_t(i) * 3 + k];
            }
    });
    codes = {};
    corners = {};
    places.clear();
    // The vertices' positions after the sort: their memory is then what the sort's arrays gave
    // back, which the system hands out again sooner than memory never used.
    FPositions = TLargeArray<float>(size_t(vertices.Count()) * 3);
    RunInShares(CoreCount(), vertices.Count(), [&](int, int first, int last) {
        for (int i = first; i < last; ++i) {
            const TTriVertex* v = vertices.VertexAt(i);
            const bool finite = Finite(v);
            const float nan = std::numeric_limits<float>::quiet_NaN();
            FPositions[size_t(i) * 3] = finite ? float(v->Easting - CentreE) : nan;
            FPositions[size_t(i) * 3 + 1] = finite ? float(v->Northing - CentreN) : nan;
            FPositions[size_t(i) * 3 + 2] = finite ? float(v->Value - CentreZ) : nan;
        }
    });
    FindElevationRanges();
    // Hundreds of megabytes for a large model: on huge pages, a fault every 2 MiB, not 4 KiB.
    FGridPoints = TLargeArray<float>(FTiles.size() * size_t(GridVertices) * 4, 0.0f);
}

void TTerrainTiles::FindElevationRanges() {
    // The elevation range of every leaf, then of every tile from its children: a child comes
    // after its parent.
    std::vector<int> leaves;
    for (int t = 0; t < int(FTiles.size()); ++t)
        if (FTiles[size_t(t)].Leaf)
            leaves.push_back(t);
    RunInShares(CoreCount(), int(leaves.size()), [&](int, int first, int last) {
        for (int l = first; l < last; ++l) {
            TTile& tile = FTiles[size_t(leaves[size_t(l)])];
            float low = INFINITY, high = -INFINITY;
            for (int64_t c = tile.FirstCorner; c < tile.FirstCorner + tile.CornerCount; ++c) {
                const float z = FPositions[size_t(FCorners[size_t(c)]) * 3 + 2];
                low = std::min(low, z);
                high = std::max(high, z);
            }
            tile.MinZ = low <= high ? low : 0;
            tile.MaxZ = low <= high ? high : 0;
        }
    });
    for (int t = int(FTiles.size()) - 1; t >= 0; --t) {
        TTile& tile = FTiles[size_t(t)];
        if (tile.Leaf)
            continue;
        float low = INFINITY, high = -INFINITY;
        for (int child : tile.Children)
            if (child >= 0) {
                low = std::min(low, FTiles[size_t(child)].MinZ);
                high = std::max(high, FTiles[size_t(child)].MaxZ);
            }
        tile.MinZ = low <= high ? low : 0;
        tile.MaxZ = low <= high ? high : 0;
    }
}

int TTerrainTiles::Build(int depth, double minX, double minY, double maxX, double maxY,
                         const std::function<uint32_t(size_t code)>& firstOf, size_t lowCode) {
    const int index = int(FTiles.size());
    FTiles.push_back({});
    FLevels = std::max(FLevels, depth + 1);
    {
        TTile& tile = FTiles.back();
        tile.MinX = minX, tile.MinY = minY, tile.MaxX = maxX, tile.MaxY = maxY;
        tile.Depth = depth;
    }
    // The tile holds the codes that begin with its quadrants' bits down to its depth.
    const int shift = 2 * (CodeLevels - depth);
    const int64_t first = firstOf(lowCode), last = firstOf(lowCode + (size_t(1) << shift));
    if (last - first <= LeafTriangles || depth >= CodeLevels) {
        // Its triangles' corners come where the triangles are in the curve's order.
        FTiles[size_t(index)].Leaf = true;
        FTiles[size_t(index)].FirstCorner = first * 3;
        FTiles[size_t(index)].CornerCount = (last - first) * 3;
    } else {
        // The two bits of the code below the tile's name its children's quadrants: x low, y high.
        const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
        for (size_t q = 0; q < 4; ++q) {
            const size_t low = lowCode + (q << (shift - 2));
            if (firstOf(low + (size_t(1) << (shift - 2))) > firstOf(low)) {
                const bool east = q & 1u, north = q & 2u;
                const int child = Build(depth + 1, east ? midX : minX, north ? midY : minY,
                                        east ? maxX : midX, north ? maxY : midY, firstOf, low);
                FTiles[size_t(index)].Children[q] = child;
            }
        }
    }
    return index;
}

const std::vector<uint32_t>& TTerrainTiles::GridPattern() {
    static const std::vector<uint32_t> pattern = [] {
        std::vector<uint32_t> p;
        for (int j = 0; j < G; ++j)
            for (int i = 0; i < G; ++i) {
                const uint32_t a = uint32_t(j * (G + 1) + i), b = a + 1, c = a + G + 1, d = c + 1;
                p.insert(p.end(), {a, b, d, a, d, c});
            }
        const int skirt = (G + 1) * (G + 1);
        for (int border = 0; border < 4; ++border)
            for (int k = 0; k < G; ++k) {
                const uint32_t top1 = uint32_t(BorderPoint(border, k));
                const uint32_t top2 = uint32_t(BorderPoint(border, k + 1));
                const uint32_t bottom1 = uint32_t(skirt + border * (G + 1) + k),
                               bottom2 = bottom1 + 1;
                p.insert(p.end(), {top1, bottom1, bottom2, top1, bottom2, top2});
            }
        return p;
    }();
    return pattern;
}

int TTerrainTiles::GridPatternTriangles() {
    return int(GridPattern().size() / 3);
}

void TTerrainTiles::SampleTile(const TTriangleMesh& mesh, int index, int parent) {
    const TTile& tile = FTiles[size_t(index)];
    float* out = FGridPoints.data() + size_t(index) * GridVertices * 4;
    const TGridLines lines(tile);
    // Every second point of the grid is a point of the parent's; where their sums give the same
    // coordinates to the bit, the sample is the parent's, and the look-up is spared.
    const TTile* above = parent >= 0 ? &FTiles[size_t(parent)] : nullptr;
    const TGridLines parentLines = above ? TGridLines(*above) : lines;
    const float* parentGrid =
        above ? FGridPoints.data() + size_t(parent) * GridVertices * 4 : nullptr;
    const int shiftI = above && tile.MinX != above->MinX ? G : 0;
    const int shiftJ = above && tile.MinY != above->MinY ? G : 0;
    for (int j = 0; j <= G; ++j)
        for (int i = 0; i <= G; ++i) {
            const double x = lines.X(i), y = lines.Y(j);
            float* p = out + (j * (G + 1) + i) * 4;
            if (parentGrid && i % 2 == 0 && j % 2 == 0) {
                const int pi = (i + shiftI) / 2, pj = (j + shiftJ) / 2;
                if (SameBits(parentLines.X(pi), x) && SameBits(parentLines.Y(pj), y)) {
                    std::copy_n(parentGrid + (pj * (G + 1) + pi) * 4, 4, p);
                    continue;
                }
            }
            double value = NullValue;
            const bool found = mesh.FindSurfaceValue(x + CentreE, y + CentreN, value) != nullptr &&
                               std::isfinite(value) && value != NullValue;
            p[0] = float(x), p[1] = float(y), p[2] = found ? float(value - CentreZ) : 0.0f;
            p[3] = found ? 1.0f : 0.0f;
        }
    // The skirt hangs below each border as far as a crack there can open (BorderDrop): no
    // further, where it would show beside troughs and past the model's edge. On the model's
    // outer border no other tile meets it, so it is left out. Its lower points are marked 2,
    // so that the shader lights it as level ground: it fills cracks in the ground's colour.
    const TTile& root = FTiles.front();
    const bool outer[4] = {tile.MinY == root.MinY, tile.MaxX == root.MaxX, tile.MaxY == root.MaxY,
                           tile.MinX == root.MinX};
    const int skirt = (G + 1) * (G + 1);
    // An inner border's skirt ends where it meets the model's outer border.
    const auto onOuterBorder = [&](int point) {
        const int i = point % (G + 1), j = point / (G + 1);
        return (i == 0 && tile.MinX == root.MinX) || (i == G && tile.MaxX == root.MaxX) ||
               (j == 0 && tile.MinY == root.MinY) || (j == G && tile.MaxY == root.MaxY);
    };
    for (int border = 0; border < 4; ++border) {
        const float drop =
            outer[border] ? 0.0f
                          : BorderDrop(mesh, out, border,
                                       tile.MaxZ - tile.MinZ + std::max(lines.StepX, lines.StepY));
        for (int k = 0; k <= G; ++k) {
            const int at = BorderPoint(border, k);
            const float* top = out + at * 4;
            float* p = out + (skirt + border * (G + 1) + k) * 4;
            p[0] = top[0], p[1] = top[1];
            p[2] = onOuterBorder(at) ? top[2] : top[2] - drop;
            p[3] = outer[border] || top[3] == 0 ? 0.0f : 2.0f;
        }
    }
}

float TTerrainTiles::BorderDrop(const TTriangleMesh& mesh, const float* grid, int border,
                                double deepestPossible) const {
    // The border's samples, NaN in holes.
    float z[G + 1];
    for (int k = 0; k <= G; ++k) {
        const float* p = grid + BorderPoint(border, k) * 4;
        z[k] = p[3] > 0 ? p[2] : NAN;
    }
    double deepest = 0;
    // Against a tile drawn exact beside it: the surface halfway between samples.
    for (int k = 0; k < G; ++k) {
        const float* a = grid + BorderPoint(border, k) * 4;
        const float* b = grid + BorderPoint(border, k + 1) * 4;
        double value = NullValue;
        if (std::isfinite(z[k]) && std::isfinite(z[k + 1]) &&
            mesh.FindSurfaceValue((a[0] + b[0]) / 2.0 + CentreE, (a[1] + b[1]) / 2.0 + CentreN,
                                  value) &&
            value != NullValue && std::isfinite(value))
            deepest = std::max(deepest, std::abs(value - CentreZ - (z[k] + z[k + 1]) / 2.0));
    }
    // Against a coarser tile: its samples on this line are every second, fourth, ... of these,
    // so the lines differ most at these samples.
    for (int step = 2; step <= G; step *= 2)
        for (int k = 0; k <= G; ++k) {
            const int left = k / step * step, right = std::min(G, left + step);
            if (k == left || !std::isfinite(z[left]) || !std::isfinite(z[right]) ||
                !std::isfinite(z[k]))
                continue;
            const double t = double(k - left) / (right - left);
            deepest = std::max(deepest, std::abs(z[k] - (z[left] + t * (z[right] - z[left]))));
        }
    // Half as deep again, and a hair more than float rounding, so that nothing shows through;
    // never deeper than the tile's relief and a cell, which covers any crack.
    const TTile& root = FTiles.front();
    return float(std::min(1.5 * deepest + 1e-6 * (root.MaxZ - root.MinZ + 1), deepestPossible));
}

void TTerrainTiles::SampleGrids(const TTriangleMesh& mesh,
                                const std::function<void(int, int)>& progress,
                                const std::atomic<bool>* cancel) {
    mesh.Index(); // built here, so that the threads below only read it
    std::vector<int> parents(FTiles.size(), -1);
    for (int t = 0; t < int(FTiles.size()); ++t)
        for (int child : FTiles[size_t(t)].Children)
            if (child >= 0)
                parents[size_t(child)] = t;
    int done = 0;
    for (int level = 0; level < FLevels; ++level) {
        std::vector<int> tiles;
        for (int t = 0; t < int(FTiles.size()); ++t)
            if (FTiles[size_t(t)].Depth == level)
                tiles.push_back(t);
        RunInShares(
            tiles.size() < 8 ? 1 : CoreCount(), int(tiles.size()), [&](int, int first, int last) {
                for (int i = first; i < last; ++i)
                    if (!(cancel && cancel->load()))
                        SampleTile(mesh, tiles[size_t(i)], parents[size_t(tiles[size_t(i)])]);
            });
        if (cancel && cancel->load())
            return;
        FReadyLevels.store(level + 1);
        done += int(tiles.size());
        if (progress)
            progress(done, int(FTiles.size()));
    }
}

TTileSelection TTerrainTiles::SampleGridsFor(const TTriangleMesh& mesh, const TOrbitCamera& camera,
                                             int height, double exaggeration) {
    FReadyLevels.store(FLevels);
    const TTileSelection selection = Select(camera, height, exaggeration);
    mesh.Index(); // built here, so that the threads below only read it
    const std::vector<int>& grids = selection.Grids;
    RunInShares(grids.size() < 8 ? 1 : CoreCount(), int(grids.size()),
                [&](int, int first, int last) {
                    for (int i = first; i < last; ++i)
                        SampleTile(mesh, grids[size_t(i)]);
                });
    return selection;
}

TTileSelection TTerrainTiles::SelectWith(const TOrbitCamera& camera, int height,
                                         double exaggeration, double pixelError) const {
    TTileSelection selection;
    if (FTiles.empty())
        return selection;
    const TVec3 eye = camera.Eye();
    const int ready = ReadyLevels();
    auto visit = [&](auto&& self, int index) -> void {
        const TTile& tile = FTiles[size_t(index)];
        const bool gridReady = tile.Depth < ready;
        const double cell = std::max(tile.MaxX - tile.MinX, tile.MaxY - tile.MinY) / G;
        const double distance = DistanceToBox(eye, tile, exaggeration);
        const bool fine =
            distance > 0 && cell * camera.PixelsPerUnit(distance, height) <= pixelError;
        auto drawGrid = [&] {
            selection.Grids.push_back(index);
            selection.Triangles += GridPatternTriangles();
        };
        if (gridReady && fine)
            return drawGrid();
        if (tile.Leaf) {
            selection.Exact.push_back(index);
            selection.Triangles += tile.CornerCount / 3;
            return;
        }
        // While the grids below are being sampled, this one stands in for them.
        bool childrenReady = true;
        for (int child : tile.Children)
            if (child >= 0 && !FTiles[size_t(child)].Leaf && FTiles[size_t(child)].Depth >= ready)
                childrenReady = false;
        if (gridReady && !childrenReady)
            return drawGrid();
        for (int child : tile.Children)
            if (child >= 0)
                self(self, child);
    };
    visit(visit, 0);
    return selection;
}

TTileSelection TTerrainTiles::Select(const TOrbitCamera& camera, int height, double exaggeration,
                                     double pixelError, int64_t budget) const {
    TTileSelection selection = SelectWith(camera, height, exaggeration, pixelError);
    for (int rounds = 0; selection.Triangles > budget && rounds < 40; ++rounds) {
        pixelError *= 2;
        selection = SelectWith(camera, height, exaggeration, pixelError);
    }
    return selection;
}

size_t TTerrainTiles::MemoryBytes() const {
    return FTiles.capacity() * sizeof(TTile) + FGridPoints.size() * sizeof(float) +
           FPositions.size() * sizeof(float) + FCorners.size() * sizeof(uint32_t);
}

void TTerrainTiles::ReleaseMeshArrays() {
    FPositions = {};
    FCorners = {};
}
