#include "ModelDrawing.h"
#include "Components/MapView.h"
#include "vrk/VRKModel.h"

void DrawTriangleSides(TMapView& view, const TTriangle& triangle, int position, bool edgesOnly) {
    for (int k = 1; k <= 3; ++k) {
        const TTriangle* neighbour = triangle.Neighbour(k);
        if (neighbour && (edgesOnly || position >= neighbour->Number))
            continue;
        const TTriVertex* a = triangle.Vertex(k);
        const TTriVertex* b = triangle.Vertex(NextSide(k));
        view.DrawLine(a->Easting, a->Northing, b->Easting, b->Northing);
    }
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
    if (layers.Triangles) {
        canvas.Pen.Color = TrianglesColor;
        DrawTriangles(view, model.Triangles(), false);
    }
    if (layers.Edges) {
        canvas.Pen.Color = EdgesColor;
        DrawTriangles(view, model.Triangles(), true);
    }
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
