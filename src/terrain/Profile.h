#pragma once
// The exact elevation profile of the linear surface along a line of one or more segments: a
// breakpoint at every crossing of a triangle side, at every corner of the line, and where the
// line leaves or enters the mesh. Between two breakpoints the profile is straight.
#include "PlanPoint.h"
#include "model/Mesh.h"

#include <QString>
#include <vector>

struct TProfilePoint {
    double Distance = 0; // along the line from its first point
    double Easting = 0, Northing = 0;
    double Value = 0; // the surface's elevation here; NaN off the mesh
    // The triangle the profile runs through from here to the next breakpoint; null in a gap
    // and at the last point when the line ends off the mesh.
    const TTriangle* Triangle = nullptr;
};

// Where triangles overlap, the profile follows the first in collection order, as the look-up
// under the cursor does. A line of no length gives no points.
std::vector<TProfilePoint> ComputeProfile(const TTriangleMesh& mesh,
                                          const std::vector<TPlanPoint>& line);
// The elevation of the triangle's plane at a plan point; NaN for a triangle without a plane.
double PlaneValue(const TTriangle& triangle, double x, double y);
// Why a line can have no profile: it has no length, or its length is beyond a double; else an
// empty text.
QString ProfileLineProblem(const std::vector<TPlanPoint>& line);
// The total length of a line in plan.
double LineLength(const std::vector<TPlanPoint>& line);

// The profile at a distance along it (clamped to the line): the point, its elevation on the
// stretch there (NaN in a gap) and that stretch's triangle.
TProfilePoint ProfileAt(const std::vector<TProfilePoint>& profile, double distance);

// Round steps (1, 2 or 5 times a power of ten) from low to high, about count of them.
std::vector<double> RoundTicks(double low, double high, int count);
