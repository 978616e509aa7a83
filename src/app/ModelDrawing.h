#pragma once
// Drawing the model in the map view, in five layers: the header's limits, the triangle sides
// (each shared side once), the boundary sides, the start points and the selected triangle.
#include "Components/Canvas.h"

class TMapView;
class TTriangle;
class TTriangles;
class TVandrelTINModel;

struct TModelLayers {
    bool Limits = true;
    bool Triangles = true;
    bool Edges = true;
    bool StartPoints = true;
    // Over a fill (elevation colours, hillshade) the triangle sides are drawn only where they
    // are SpacedSidesPixels (at 96 dots an inch) or longer on screen, so that the fill shows at
    // every zoom; 0 draws every side.
    int SpacedSidesPixels = 0;
};

constexpr int SidesOverFillPixels = 8;

constexpr TColor LimitsColor = 0xC0C0C0;
constexpr TColor TrianglesColor = 0x008000;
constexpr TColor EdgesColor = 0xFF0000;
constexpr TColor StartPointsColor = 0x000000;
constexpr TColor SelectionColor = 0x0000FF;

void DrawModel(TMapView& view, const TVandrelTINModel& model, const TModelLayers& layers,
               const TTriangle* selected);
// Every triangle's sides that pass the side test; only the sides without a neighbour when
// edgesOnly.
void DrawTriangles(TMapView& view, const TTriangles& triangles, bool edgesOnly);
// Side k is drawn when it has no neighbour, or when !edgesOnly and position is below the
// neighbour's number: a side shared by two triangles is drawn by the first of them.
void DrawTriangleSides(TMapView& view, const TTriangle& triangle, int position, bool edgesOnly);
