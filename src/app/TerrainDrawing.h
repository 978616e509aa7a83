#pragma once
// The terrain layers in the map view, under the model's own layers: the elevation tint and the
// hillshade filled triangle by triangle, then the contours with their labels; and the tint's
// legend in the lower-right corner. On a printer the fills are made in an image of the frame's
// pixels and drawn as one.
#include "Components/Canvas.h"
#include "terrain/Contours.h"

class TMapView;
class TTerrainCache;
class TVandrelTINModel;

struct TTerrainLayers {
    bool Colours = false;
    bool Hillshade = false;
    bool Contours = false;
    double Exaggeration = 1;
    TContourSettings Contour;
};

constexpr TColor ContourColor = 0x1E5A96; // brown

void DrawTerrain(TMapView& view, const TVandrelTINModel& model, const TTerrainLayers& layers,
                 TTerrainCache& cache);
void DrawLegend(TMapView& view, const TVandrelTINModel& model, TTerrainCache& cache);
// A level as its label shows it: three decimals at most, trailing zeros dropped.
QString LevelText(double level);
