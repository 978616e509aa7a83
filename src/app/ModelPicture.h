#pragma once
// A model's picture without a window, as `vrkinfo picture` makes it: the plan view of the whole
// model with the chosen layers, through the viewer's own map view and drawing (PNG, SVG or
// PDF), or the 3D view (PNG). Needs a QApplication; the 3D picture also needs OpenGL.
#include "TerrainDrawing.h"

#include <QImage>
#include <QString>

struct TBoundary;
class TCoordinateSystem;
class TOffscreenOpenGL;
class TVandrelTINModel;

struct TModelPicture {
    int Width = 1000, Height = 800;
    TTerrainLayers Terrain; // colours, hillshade, contours and the exaggeration
    bool ThreeD = false;
    double Azimuth = 200, Elevation = 35; // of the 3D view's eye, degrees
    TOffscreenOpenGL* Context = nullptr;  // for the 3D picture, made beforehand; else made then
};

// The volume report's map: the difference (difference's comparison) in plan over the whole
// model, the boundary on it when there is one, with a scale bar in unit and a north arrow.
QImage VolumeReportMap(const TVandrelTINModel& model, const TTerrainLayers& difference,
                       const TBoundary* boundary, const QString& unit, int width, int height);

// Raises Exception naming the file when it cannot be written, leaving no partial file.
void WriteModelPicture(const TVandrelTINModel& model, const TModelPicture& picture,
                       const QString& fileName, const TCoordinateSystem* system = nullptr);
