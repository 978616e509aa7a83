#pragma once
// What the difference layer shows between the model and another surface, computed once on the
// overlay of the two triangulations: the range of d = surface - model, d at the model's
// vertices for drawing triangles too small on screen to show their pieces, and the line d = 0,
// a segment on every piece it crosses.
#include "Overlay.h"

#include <cmath>
#include <vector>

class TTriangleMesh;

struct TPlanSegment {
    TPlanPoint A, B;
    // The elevation of both surfaces at A and B (where d = 0 they agree), where known.
    double ElevationA = NAN, ElevationB = NAN;
};

// The segment of the piece where d (at its corners) is 0, in plan coordinates; false when d is
// 0 at fewer than two places or all over the piece.
bool ZeroSegmentOf(const TPiece& piece, const double d[], TPlanSegment& segment);

struct TSurfaceDifference {
    double Low = 0, High = 0;          // the range of d over the overlay; 0, 0 without one
    std::vector<double> AtModelVertex; // by vertex position; NaN off the surface
    std::vector<TPlanSegment> ZeroLine;
};

// On every core; builds both meshes' look-up indexes.
TSurfaceDifference CompareSurfaces(const TTriangleMesh& model, const TTriangleMesh& surface);
