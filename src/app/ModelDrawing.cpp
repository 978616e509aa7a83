#include "ModelDrawing.h"
#include "Components/MapView.h"
#include "Components/ParallelDrawing.h"
#include "model/SideTable.h"
#include "model/TriangleIndex.h"
#include "vrk/VRKModel.h"

#include <atomic>
#include <climits>
#include <mutex>
#include <optional>
#include <vector>

namespace {
// The pixels of the vertices that lie strictly inside the visible rectangle, computed once per
// paint instead of once per side. For a side with both ends inside, DrawLine would neither
// reject nor clip it, so drawing between these pixels gives exactly DrawLine's line.
class TVertexPixels {
public:
    TVertexPixels() = default;
    // Computed on every core: a model has millions of vertices.
    TVertexPixels(const TMapViewState& view, const TTriVertices& vertices) {
        FPixels = KeptPixels(static_cast<size_t>(vertices.Count()));
        FSize = static_cast<size_t>(vertices.Count());
        std::atomic<bool> numbered{true};
        WorkInShares(vertices.Count(), [&](int first, int last) {
            for (int i = first; i < last && numbered.load(std::memory_order_relaxed); ++i) {
                const TTriVertex* v = vertices.VertexAt(i);
                if (!v || v->Number != i + 1) { // numbered otherwise: no look-up by number
                    numbered = false;
                    return;
                }
                FPixels[static_cast<size_t>(i)] =
                    view.CrossVisible(v->Easting, v->Northing)
                        ? TIntPoint{view.WorldToPixelX(v->Easting), view.WorldToPixelY(v->Northing)}
                        : TIntPoint{INT_MIN, 0};
            }
        });
        if (!numbered)
            FSize = 0;
    }
    // Asks for the memory Find(vertex) will read.
    void Prefetch(const TTriVertex* vertex) const {
        const size_t at = static_cast<size_t>(vertex->Number) - 1;
        if (at < FSize)
            __builtin_prefetch(&FPixels[at]);
    }
    const TIntPoint* Find(const TTriVertex* vertex) const { return FindAt(vertex->Number - 1); }
    // The same by the vertex's position; null for -1.
    const TIntPoint* FindAt(int32_t position) const {
        const size_t at = static_cast<size_t>(position);
        if (at >= FSize || FPixels[at].X == INT_MIN)
            return nullptr;
        return &FPixels[at];
    }
    bool Any() const { return FSize > 0; }

private:
    // The store is kept from paint to paint: a model of tens of millions of vertices needs
    // tens of megabytes, and the page faults of a fresh store cost more than computing the
    // pixels. Paints happen on the main thread only.
    static TIntPoint* KeptPixels(size_t count) {
        static std::vector<TIntPoint> kept;
        if (kept.capacity() > 2 * count) // a much smaller model: give the rest back
            std::vector<TIntPoint>().swap(kept);
        kept.resize(count);
        return kept.data();
    }

    TIntPoint* FPixels = nullptr;
    size_t FSize = 0;
};

// A share's canvas, with its pixels written straight where the pen allows.
struct TSideCanvas {
    explicit TSideCanvas(TCanvas& canvas) : Canvas(canvas) {
        auto* image = dynamic_cast<TImageCanvas*>(&canvas);
        if (image && image->PenIsSolidThinCopy())
            Lines.emplace(*image->Pixels(), canvas.Pen.Color);
    }
    // A segment between two vertices inside the view. Their pixels may lie one past the image
    // (a vertex a hair inside the view's right or bottom border rounds onto the border), so
    // the lines clip.
    void Between(int x1, int y1, int x2, int y2) {
        if (Lines)
            Lines->Draw(x1, y1, x2, y2);
        else
            Canvas.Segment(x1, y1, x2, y2);
    }
    TCanvas& Canvas;
    std::optional<TSolidLines> Lines;
};

// Drawing the sides waits on memory: a triangle's neighbours and vertices may lie anywhere.
// Asking for them some triangles ahead lets those reads overlap: first the objects, then, once
// the vertices have come, the vertex pixels.
template <class Position>
void PrefetchAhead(const TTriangles& triangles, int i, int last, Position at,
                   const TVertexPixels* pixels) {
    constexpr int Objects = 32, Pixels = 12;
    if (i + Objects < last)
        if (const TTriangle* ahead = triangles.TriangleAt(at(i + Objects)))
            ahead->PrefetchLinks();
    if (pixels && i + Pixels < last)
        if (const TTriangle* ahead = triangles.TriangleAt(at(i + Pixels)))
            for (int k = 1; k <= 3; ++k)
                if (const TTriVertex* vertex = ahead->Vertex(k))
                    pixels->Prefetch(vertex);
}

// The shortest side to draw: sides shorter on screen are left out.
struct TShortestSide {
    double ScaleX = 0, ScaleY = 0; // model units to pixels, divided by the shortest length
    bool Keeps(const TTriVertex& a, const TTriVertex& b) const {
        const double dx = (b.Easting - a.Easting) * ScaleX, dy = (b.Northing - a.Northing) * ScaleY;
        return !(dx * dx + dy * dy < 1);
    }
};

// Draws on canvas what DrawLine would draw of side k.
void DrawClippedSide(const TMapViewState& view, TSideCanvas& canvas, const TTriangle& triangle,
                     int k) {
    const TTriVertex* a = triangle.Vertex(k);
    const TTriVertex* b = triangle.Vertex(NextSide(k));
    if (const auto s = view.ClipLine(a->Easting, a->Northing, b->Easting, b->Northing))
        canvas.Canvas.Segment(s->X1, s->Y1, s->X2, s->Y2);
}

// Draws on canvas what DrawLine would draw of each side that passes the side test.
void DrawSides(const TMapViewState& view, TSideCanvas& canvas, const TTriangle& triangle,
               int position, bool edgesOnly, const TVertexPixels* pixels,
               const TShortestSide* shortest = nullptr) {
    for (int k = 1; k <= 3; ++k) {
        const TTriangle* neighbour = triangle.Neighbour(k);
        if (neighbour && (edgesOnly || position >= neighbour->Number))
            continue;
        const TTriVertex* a = triangle.Vertex(k);
        const TTriVertex* b = triangle.Vertex(NextSide(k));
        if (shortest && !shortest->Keeps(*a, *b))
            continue;
        const TIntPoint* pa = pixels ? pixels->Find(a) : nullptr;
        const TIntPoint* pb = pa ? pixels->Find(b) : nullptr;
        if (pb)
            canvas.Between(pa->X, pa->Y, pb->X, pb->Y);
        else
            DrawClippedSide(view, canvas, triangle, k);
    }
}

// The triangles layer of the whole model through the side table: the same sides as DrawSides
// draws, read from flat arrays in order; only a side with an end outside the view reaches the
// triangle.
void DrawTableSides(const TMapViewState& view, TSideCanvas& canvas, const TTriangles& triangles,
                    const TSideTable& table, const TVertexPixels& pixels, int first, int last) {
    for (int position = first; position < last; ++position) {
        const uint8_t sides = table.Sides(position);
        const int32_t* corners = table.Corners(position);
        for (int k = 1; k <= 3; ++k) {
            if (!TSideTable::Draws(sides, k))
                continue;
            const TIntPoint* pa = pixels.FindAt(corners[k - 1]);
            const TIntPoint* pb = pa ? pixels.FindAt(corners[NextSide(k) - 1]) : nullptr;
            if (pb)
                canvas.Between(pa->X, pa->Y, pb->X, pb->Y);
            else
                DrawClippedSide(view, canvas, *triangles.TriangleAt(position), k);
        }
    }
}

// Draws the triangle layers. A view that shows a small part of the model visits only the
// triangles the look-up index places near it (any other triangle lies wholly outside, where
// DrawLine rejects every side); a view of most of the model visits all, with vertex pixels
// computed once. Both give the picture of drawing every side through DrawLine. Each layer is one
// colour, so its sides may be drawn in any order: the triangles are shared out over the cores.
void DrawTriangleLayers(TMapView& view, const TTriangleMesh& mesh, const TModelLayers& layers) {
    if (!layers.Triangles && !layers.Edges)
        return;
    const TMapViewState& state = view.State();
    const TTriangles& triangles = mesh.Triangles();
    std::vector<int32_t> visible;
    // Right after a model is opened its index may still be in the making: a view of the whole
    // model, the usual first one, does not wait for it.
    const TTriangleIndex* index = mesh.IndexUnlessBuilding();
    const bool culled = index && index->CandidatesInRect(state.ViewLeft, state.ViewBottom,
                                                         state.ViewRight, state.ViewTop, visible);
    const TVertexPixels pixels = culled ? TVertexPixels() : TVertexPixels(state, mesh.Vertices());
    const TVertexPixels* known = culled ? nullptr : &pixels;
    const int count = culled ? int(visible.size()) : triangles.Count();
    auto at = [&](int i) { return culled ? visible[size_t(i)] : i; };
    TCanvas& canvas = view.DrawCanvas();
    // The triangles pass notes the triangles with a boundary side, so that the edges pass
    // visits only those.
    std::vector<int32_t> boundary;
    std::mutex boundaryLock;
    const auto noteBoundary = [&](const std::vector<int32_t>& found) {
        const std::lock_guard<std::mutex> hold(boundaryLock);
        boundary.insert(boundary.end(), found.begin(), found.end());
    };
    std::optional<TShortestSide> shortest;
    if (layers.SpacedSidesPixels > 0) {
        const TIntRect& r = state.DrawRect;
        const double pixels = double(layers.SpacedSidesPixels) * canvas.PixelsPerInchX() / 96;
        shortest = TShortestSide{(r.Right - r.Left) / state.ViewWidth / pixels,
                                 (r.Bottom - r.Top) / state.ViewHeight / pixels};
    }
    // Every side of the whole model, its vertices numbered: read from the side table, which
    // the first such view builds.
    const TSideTable* table =
        layers.Triangles && !culled && !shortest && pixels.Any() ? &mesh.SideTable() : nullptr;
    if (table && table->Count() != triangles.Count())
        table = nullptr;
    if (table) {
        canvas.Pen.Color = TrianglesColor;
        DrawInShares(canvas, count, [&](TCanvas& shareCanvas, int first, int last) {
            TSideCanvas share(shareCanvas);
            DrawTableSides(state, share, triangles, *table, pixels, first, last);
            if (!layers.Edges)
                return;
            std::vector<int32_t> found;
            for (int position = first; position < last; ++position)
                if (TSideTable::OnBoundary(table->Sides(position)))
                    found.push_back(position);
            noteBoundary(found);
        });
    } else if (layers.Triangles) {
        canvas.Pen.Color = TrianglesColor;
        DrawInShares(canvas, count, [&](TCanvas& shareCanvas, int first, int last) {
            TSideCanvas share(shareCanvas);
            std::vector<int32_t> found;
            for (int i = first; i < last; ++i) {
                PrefetchAhead(triangles, i, last, at, known);
                const int position = at(i);
                const TTriangle* triangle = triangles.TriangleAt(position);
                if (!triangle)
                    continue;
                DrawSides(state, share, *triangle, position, false, known,
                          shortest ? &*shortest : nullptr);
                if (layers.Edges &&
                    (!triangle->Neighbour(1) || !triangle->Neighbour(2) || !triangle->Neighbour(3)))
                    found.push_back(position);
            }
            noteBoundary(found);
        });
    }
    if (layers.Edges) {
        canvas.Pen.Color = EdgesColor;
        const bool listed = layers.Triangles;
        DrawInShares(canvas, listed ? int(boundary.size()) : count,
                     [&](TCanvas& shareCanvas, int first, int last) {
                         TSideCanvas share(shareCanvas);
                         for (int i = first; i < last; ++i) {
                             const int position = listed ? boundary[size_t(i)] : at(i);
                             if (const TTriangle* triangle = triangles.TriangleAt(position))
                                 DrawSides(state, share, *triangle, position, true, known);
                         }
                     });
    }
}
} // namespace

void DrawTriangleSides(TMapView& view, const TTriangle& triangle, int position, bool edgesOnly) {
    TSideCanvas canvas(view.DrawCanvas());
    DrawSides(view.State(), canvas, triangle, position, edgesOnly, nullptr);
}

void DrawTriangles(TMapView& view, const TTriangles& triangles, bool edgesOnly) {
    for (int position = 0; position < triangles.Count(); ++position)
        if (const TTriangle* triangle = triangles.TriangleAt(position))
            DrawTriangleSides(view, *triangle, position, edgesOnly);
}

void DrawModel(TMapView& view, const TVandrelTINModel& model, const TModelLayers& layers,
               const TTriangle* selected) {
    TCanvas& canvas = view.DrawCanvas();
    if (layers.Limits) {
        const double minE = model.Header.MinimumEasting, minN = model.Header.MinimumNorthing;
        const double maxE = model.Header.MaximumEasting, maxN = model.Header.MaximumNorthing;
        canvas.Pen.Color = LimitsColor;
        view.DrawLine(minE, minN, minE, maxN);
        view.DrawLine(minE, maxN, maxE, maxN);
        view.DrawLine(maxE, maxN, maxE, minN);
        view.DrawLine(maxE, minN, minE, minN);
    }
    DrawTriangleLayers(view, model, layers);
    if (layers.StartPoints) {
        canvas.Pen.Color = StartPointsColor;
        for (int i = 0; i < model.StartPoints.Count(); ++i)
            if (const TVRKStartPoint* point = model.StartPoints.StartPoints(i))
                view.DrawCross(point->Easting, point->Northing);
    }
    if (selected) {
        canvas.Pen.Color = SelectionColor;
        DrawTriangleSides(view, *selected, 0, false);
    }
}
