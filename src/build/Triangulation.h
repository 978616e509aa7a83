#pragma once
// Surfaces from survey points: the exact Delaunay triangulation of the points in plan (exact
// predicates: at survey coordinates a floating-point in-circle test is not), each triangle
// anticlockwise, each point with its elevation. Repeated positions keep the first point given.
// Without a boundary the surface covers the points' convex hull; a longest side drops outline
// triangles from the outline inward, for sites that are not convex.
#include "SurveyLines.h"
#include "import/SurfaceData.h"

#include <cstdint>
#include <functional>
#include <vector>

struct TTriangulationOptions {
    double MaxEdge = 0; // outline triangles with a side longer than this go; 0 for none
};

// What the triangulation did with the points it was given.
struct TTriangulationReport {
    int64_t Repeated = 0;           // points at the position of an earlier one, left out
    int64_t RepeatedOtherValue = 0; // of those, with another elevation
    int64_t RemovedByMaxEdge = 0;   // outline triangles removed for a long side
};

// The surface of the points, breaklines and boundary (none: the points' hull): every side of a
// breakline or the boundary is a triangle side; a corner of a line without an elevation, and a
// boundary corner, takes the surface's there; where lines cross, or a line passes through a
// survey point, the vertex takes the elevation along the first line given. Triangles outside
// the boundary or in its holes are left out. Points are the survey points kept, in the order
// given, then the lines' new corners; Faces anticlockwise.
TSurfaceData TriangulateSurvey(std::vector<TSurfacePoint> points,
                               const std::vector<TBreakline>& breaklines, const TBoundary* boundary,
                               const TTriangulationOptions& options, TTriangulationReport& report);

// As TriangulateSurvey, the surface handed to use as the triangulation holds it: millions of
// points written without a copy of them.
void TriangulateSurveyInto(std::vector<TSurfacePoint> points,
                           const std::vector<TBreakline>& breaklines, const TBoundary* boundary,
                           const TTriangulationOptions& options, TTriangulationReport& report,
                           const std::function<void(const TSurfaceView&)>& use);

// The surface of the points alone: Points are those kept, in the order given; Faces anticlockwise.
// Raises ESurfaceReadError when the points span no triangle (fewer than three, or all on a line)
// or one is not a finite number.
TSurfaceData TriangulatePoints(std::vector<TSurfacePoint> points,
                               const TTriangulationOptions& options, TTriangulationReport& report);
