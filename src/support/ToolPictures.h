#pragma once
// The tool bar's button pictures, drawn in a handful of flat colours.
#include <QIcon>

enum class TToolPicture {
    ZoomIn,
    ZoomOut,
    ZoomExtents,
    ZoomPrevious,
    ZoomToTriangle,
    ZoomMode,
    PanMode,
    Print
};

QIcon ToolPicture(TToolPicture picture);
