#include "ModelDrawing.h"
#include "Components/MapView.h"
#include "model/TriangleIndex.h"
#include "vrk/VRKModel.h"

#include <climits>
#include <vector>

namespace {
// The pixels of the vertices that lie strictly inside the visible rectangle, computed once per
// paint instead of once per side. For a side with both ends inside, DrawLine would neither
// reject nor clip it, so drawing between these pixels gives exactly DrawLine's line.
class TVertexPixels {
public:
    TVertexPixels() = default;
    TVertexPixels(const TMapViewState& view, const TTriVertices& vertices) {
        FPixels.resize(static_cast<size_t>(vertices.Count()));
        for (int i = 0; i < vertices.Count(); ++i) {
            const TTriVertex* v = vertices.VertexAt(i);
            if (!v || v->Number != i + 1) { // numbered otherwise: no look-up by number
                FPixels.clear();
                return;
            }
            FPixels[static_cast<size_t>(i)] =
                view.CrossVisible(v->Easting, v->Northing)
                    ? TIntPoint{view.WorldToPixelX(v->Easting), view.WorldToPixelY(v->Northing)}
                    : TIntPoint{INT_MIN, 0};
        }
    }
    const TIntPoint* Find(const TTriVertex* vertex) const {
        const size_t at = static_cast<size_t>(vertex->Number) - 1;
        if (at >= FPixels.size() || FPixels[at].X == INT_MIN)
            return nullptr;
        return &FPixels[at];
    }

private:
    std::vector<TIntPoint> FPixels;
};

void DrawSides(TMapView& view, const TTriangle& triangle, int position, bool edgesOnly,
               const TVertexPixels* pixels) {
    for (int k = 1; k <= 3; ++k) {
        const TTriangle* neighbour = triangle.Neighbour(k);
        if (neighbour && (edgesOnly || position >= neighbour->Number))
            continue;
        const TTriVertex* a = triangle.Vertex(k);
        const TTriVertex* b = triangle.Vertex(NextSide(k));
        const TIntPoint* pa = pixels ? pixels->Find(a) : nullptr;
        const TIntPoint* pb = pa ? pixels->Find(b) : nullptr;
        if (pb)
            view.DrawCanvas().Segment(pa->X, pa->Y, pb->X, pb->Y);
        else
            view.DrawLine(a->Easting, a->Northing, b->Easting, b->Northing);
    }
}

// Draws the triangle layers. A view that shows a small part of the model visits only the
// triangles the look-up index places near it (any other triangle lies wholly outside, where
// DrawLine rejects every side); a view of most of the model visits all, with vertex pixels
// computed once. Both give the picture of drawing every side through DrawLine.
void DrawTriangleLayers(TMapView& view, const TTriangleMesh& mesh, const TModelLayers& layers) {
    if (!layers.Triangles && !layers.Edges)
        return;
    const TMapViewState& state = view.State();
    const TTriangles& triangles = mesh.Triangles();
    std::vector<int32_t> visible;
    const bool culled = mesh.Index().CandidatesInRect(state.ViewLeft, state.ViewBottom,
                                                      state.ViewRight, state.ViewTop, visible);
    const TVertexPixels pixels = culled ? TVertexPixels() : TVertexPixels(state, mesh.Vertices());
    const TVertexPixels* known = culled ? nullptr : &pixels;
    auto visit = [&](auto&& draw) {
        if (culled) {
            for (int32_t position : visible)
                draw(*triangles.TriangleAt(position), position);
            return;
        }
        for (int position = 0; position < triangles.Count(); ++position)
            if (const TTriangle* triangle = triangles.TriangleAt(position))
                draw(*triangle, position);
    };
    // The triangles pass notes the triangles with a boundary side, so that the edges pass
    // visits only those.
    std::vector<int32_t> boundary;
    if (layers.Triangles) {
        view.DrawCanvas().Pen.Color = TrianglesColor;
        visit([&](const TTriangle& triangle, int position) {
            DrawSides(view, triangle, position, false, known);
            if (layers.Edges &&
                (!triangle.Neighbour(1) || !triangle.Neighbour(2) || !triangle.Neighbour(3)))
                boundary.push_back(position);
        });
    }
    if (layers.Edges) {
        view.DrawCanvas().Pen.Color = EdgesColor;
        auto drawEdges = [&](const TTriangle& triangle, int position) {
            DrawSides(view, triangle, position, true, known);
        };
        if (layers.Triangles) {
            for (int32_t position : boundary)
                drawEdges(*triangles.TriangleAt(position), position);
        } else {
            visit(drawEdges);
        }
    }
}
} // namespace

void DrawTriangleSides(TMapView& view, const TTriangle& triangle, int position, bool edgesOnly) {
    DrawSides(view, triangle, position, edgesOnly, nullptr);
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
