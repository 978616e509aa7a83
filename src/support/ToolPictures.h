#pragma once
// The tool bar's button pictures and the program's icon, drawn in a handful of flat colours.
#include <QIcon>
#include <QSizeF>

class QPainter;

enum class TToolPicture {
    ZoomIn,
    ZoomOut,
    ZoomExtents,
    ZoomPrevious,
    ZoomToTriangle,
    ZoomMode,
    PanMode,
    Print,
    Profile, // a line over a hill: the elevation profile mode
    Back,    // the triangle information window's history arrows
    Forward,
    Application // the program's icon
};

// The picture at one and two device pixels a pixel; the history arrows have a greyed, embossed
// look of their own for a disabled button.
QIcon ToolPicture(TToolPicture picture);
// Draws the picture filling size, at any scale: for the icons the installation carries.
void PaintToolPicture(QPainter& painter, TToolPicture picture, QSizeF size);
