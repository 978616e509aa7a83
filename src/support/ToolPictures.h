#pragma once
// The tool bar's button pictures and the program's icon, drawn in a handful of flat colours.
#include <QIcon>

enum class TToolPicture {
    ZoomIn,
    ZoomOut,
    ZoomExtents,
    ZoomPrevious,
    ZoomToTriangle,
    ZoomMode,
    PanMode,
    Print,
    Application // the program's icon
};

QIcon ToolPicture(TToolPicture picture);
