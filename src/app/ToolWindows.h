#pragma once
// The tool windows (Measure, Volumes, Profile) open where the user last put them, across runs;
// the first time beside the main window, on its screen and never over its menu bar.
class QWidget;

// Shows the tool window over its owner (its parent), placed as above when it is not yet shown.
void ShowToolWindow(QWidget& tool);
