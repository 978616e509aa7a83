#pragma once
// Where a printed view goes on the page: margins measured from the physical paper edge, a band
// for the caption line, and the frame fitted to the shape of the view on screen.
#include "MapViewState.h"

// A printer's page as the printing code needs it, in device pixels.
struct TPrinterPage {
    int Width = 0, Height = 0; // the printable area
    int DpiX = 0, DpiY = 0;    // logical pixels per inch
    TIntPoint Offset;          // of the printable area from the paper's corner
    int PhysicalWidth = 0, PhysicalHeight = 0;
};

// Millimetres to pixels along one axis: 25 millimetres count as one inch.
int MMToPrinterPixels(int length, int dpi);
// The rectangle of the printable area that lies inside margins (in millimetres) measured from
// the physical paper edges, clamped to the printable area.
TIntRect PrintableRect(const TPrinterPage& page, const TIntRect& marginsMM);
// The frame: the printable rectangle less the caption band (when there are captions), fitted to
// the shape of a client of clientWidth by clientHeight, keeping its centre.
TIntRect PrintFrame(const TPrinterPage& page, const TIntRect& marginsMM, bool captions,
                    int textHeight, int clientWidth, int clientHeight);
