#pragma once
// What a map handed over carries besides the map: a scale bar with its length and unit, and a
// north arrow (the map is drawn with grid north up).
#include <QRect>
#include <QString>

class QPainter;

// The scale bar's length: the longest of 1, 2 or 5 times a power of ten not over most; 0 for
// a most that is not a positive finite number.
double ScaleBarLength(double most);
// Draws a scale bar in the lower left of area and a north arrow in its upper right, for a map
// of unitsPerPixel ground units a pixel; unit names them ("m", "ft").
void DrawMapFurniture(QPainter& painter, const QRect& area, double unitsPerPixel,
                      const QString& unit);
