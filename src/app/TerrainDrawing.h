#pragma once
// The terrain layers in the map view, under the model's own layers: the elevation tint and the
// hillshade filled triangle by triangle, then the contour lines; above the model's layers the
// tint's legend and the contour labels. On a printer the fills are made in an image of the
// frame's pixels and drawn as one.
#include "Components/Canvas.h"
#include "Components/MapViewState.h"
#include "terrain/Contours.h"

#include <optional>
#include <vector>

class TMapView;
class TTerrainCache;
class TVandrelTINModel;
class TTriangleMesh;

struct TTerrainLayers {
    bool Colours = false;
    bool Hillshade = false;
    bool Contours = false;
    double Exaggeration = 1;
    TContourSettings Contour;
    // The horizontal plane or the other surface the model is compared with (one at a time),
    // and whether the difference shows.
    std::optional<double> CompareLevel;
    const TTriangleMesh* CompareSurface = nullptr;
    bool Difference = false;
    bool Comparing() const { return CompareLevel.has_value() || CompareSurface; }
    bool ShowsDifference() const { return Difference && Comparing(); }
};

constexpr TColor LevelLineColor = 0x000000;

constexpr TColor ContourColor = 0x1E5A96; // brown

// Above the model: the legend, then the contour labels clear of it and of the view's overlays;
// their boxes.
struct TMapOverlays {
    std::optional<TIntRect> Legend;
    std::vector<TIntRect> Labels;
};
TMapOverlays DrawMapOverlays(TMapView& view, const TVandrelTINModel& model,
                             const TTerrainLayers& layers, TTerrainCache& cache);

// The fills and the contour lines, under the model's layers.
void DrawTerrain(TMapView& view, const TVandrelTINModel& model, const TTerrainLayers& layers,
                 TTerrainCache& cache);
// The legend of the fill on top (the difference, else the tint), beside the model where there
// is room; its box, or nothing without room.
std::optional<TIntRect> DrawLegend(TMapView& view, const TVandrelTINModel& model,
                                   const TTerrainLayers& layers, TTerrainCache& cache);
// Where a legend box of width by height goes in the area, clear of the model's rectangle: right
// of it, left of it, just below or just above it, a margin from everything; nothing when none
// has room.
std::optional<TIntRect> LegendBox(const TIntRect& area, const TIntRect& model, int width,
                                  int height, int margin);
// The index contours' labels, above every model layer: each on its line, at the first place
// along it that is clear of the labels before and of the rectangles taken (the overlays, the
// legend). The labels' boxes.
std::vector<TIntRect> DrawContourLabels(TMapView& view, const TVandrelTINModel& model,
                                        const TTerrainLayers& layers, TTerrainCache& cache,
                                        std::vector<TIntRect> taken);
// A level as its label shows it: three decimals at most, trailing zeros dropped.
QString LevelText(double level);
// The header's coordinate unit after a number: " m", " ft" or " US ft".
QString LengthUnitText(int coordinateUnits);
