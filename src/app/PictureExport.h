#pragma once
// The map view as a picture file: PNG in pixels, SVG and PDF as drawings, through the same
// drawing as the screen and the printer, every visible layer and the overlays included.
#include <QString>

class TMapView;

enum class TPictureFormat { Png, Svg, Pdf };

// The format the file name's extension names; false for another.
bool PictureFormatOf(const QString& fileName, TPictureFormat& format);
// Writes the view at width by height pixels (the client area's shape is kept by the caller);
// raises Exception naming the file when it cannot be written, leaving no partial file.
void ExportPicture(TMapView& view, const QString& fileName, int width, int height);
