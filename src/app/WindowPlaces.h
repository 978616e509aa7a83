#pragma once
// Where windows go. The tool windows (Measure, Volumes, Profile) open where the user last put
// them, across runs; the first time beside the main window, on its screen and never over its
// menu bar. A window larger than its screen (a screen of scale 2) is fitted to it.
#include <QRect>

class QWidget;

// Shows the tool window over its owner (its parent), placed as above when it is not yet shown.
void ShowToolWindow(QWidget& tool);
// The geometry as wanted where its size fits in available with room for a window's frame (and,
// wholly, where all of it lies there); else no larger than that room, moved as little as it
// must to lie in it.
QRect FittedGeometry(const QRect& wanted, const QRect& available, bool wholly);
// Fits the window to its screen: its size always, its place too on a screen of more than one
// device pixel a pixel (on others the place designed or chosen stays, even partly off it).
void FitOnScreen(QWidget& window);
