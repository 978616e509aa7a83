#pragma once
// What a map handed over carries besides the map: a scale bar with its length and unit, and a
// north arrow (the map is drawn with grid north up).
#include <QPointF>
#include <QRect>
#include <QString>

class QPainter;

// The scale bar's length: the longest of 1, 2 or 5 times a power of ten not over most; 0 for
// a most that is not a positive finite number.
double ScaleBarLength(double most);
// A scale bar filling bar, half black and half white as maps draw it, with its length (length
// ground units in unit) above it in the painter's font.
void DrawScaleBar(QPainter& painter, const QRectF& bar, double length, const QString& unit);
// A north arrow size tall with its tip at tip, under an N in the painter's font.
void DrawNorthArrow(QPainter& painter, const QPointF& tip, double size);
// Draws a scale bar in the lower left of area and a north arrow in its upper right, for a map
// of unitsPerPixel ground units a pixel; unit names them ("m", "ft").
void DrawMapFurniture(QPainter& painter, const QRect& area, double unitsPerPixel,
                      const QString& unit);
