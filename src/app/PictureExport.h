#pragma once
// The map view as a picture file: PNG in pixels, SVG and PDF as drawings, through the same
// drawing as the screen and the printer, every visible layer and the overlays included.
#include "Components/MapViewState.h"
#include "gis/RasterFiles.h"

#include <QString>

class TCoordinateSystem;
class TMapView;

// GeoTIFF: the picture's pixels with their place on the ground, to lay over maps in a GIS.
enum class TPictureFormat { Png, Svg, Pdf, GeoTiff };

// The format the file name's extension names; false for another.
bool PictureFormatOf(const QString& fileName, TPictureFormat& format);
// Writes the view at width by height pixels (the client area's shape is kept by the caller);
// raises Exception naming the file when it cannot be written, leaving no partial file.
// Where the picture of the view at width by height pixels lies on the ground.
TPictureFrame PictureFrameOf(const TMapViewState& view, int width, int height);
// The view at width by height pixels, as a PNG of it holds it.
QImage ViewImage(TMapView& view, int width, int height);
// A GeoTIFF carries the system when there is one; with one, a PNG gets its world file beside it.
void ExportPicture(TMapView& view, const QString& fileName, int width, int height,
                   const TCoordinateSystem* system = nullptr);
