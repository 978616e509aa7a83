#pragma once
// Lengths and areas measured on the model: a line's length in plan and along the surface.
#include "model/Mesh.h"
#include "terrain/PlanPoint.h"

#include <vector>

struct TLineMeasure {
    double PlanLength = 0;
    double SurfaceLength = 0; // of the stretches on the mesh, each along its triangle's plane
    double PlanOnMesh = 0;    // the plan length of those stretches
};

// Measured through the exact profile: between two breakpoints the surface is one plane.
TLineMeasure MeasureLine(const TTriangleMesh& mesh, const std::vector<TPlanPoint>& line);

struct TSegmentMeasure {
    double PlanLength = 0;
    double Bearing = 0; // degrees clockwise from grid north, 0 to under 360
    double Grade = 0;   // the rise from start to end over the plan length, in percent; NaN
                        // where an end is off the model
};
// Each segment of the line, its ends' elevations looked up on the model.
std::vector<TSegmentMeasure> MeasureSegments(const TTriangleMesh& mesh,
                                             const std::vector<TPlanPoint>& line);
// The direction from one plan point to another as a bearing: 0 north, 90 east.
double Bearing(const TPlanPoint& from, const TPlanPoint& to);

struct TBoundary;

struct TAreaMeasure {
    double PlanArea = 0;    // of the polygon
    double SurfaceArea = 0; // of the model's triangles clipped to the polygon, along their planes
};
TAreaMeasure MeasureArea(const TTriangles& triangles, const TBoundary& polygon);

// A triangle's plan area, surface area, slope (the plane's steepest rise, in percent and in
// degrees) and aspect (the bearing the steepest descent faces; NaN on flat ground); all NaN for
// a triangle without plan area or with a corner that is not finite.
struct TTriangleSlope {
    double PlanArea, SurfaceArea, SlopePercent, SlopeDegrees, Aspect;
};
TTriangleSlope SlopeOf(const TTriangle& triangle);

// The vertex with the highest (or lowest) finite elevation at a finite place, the first in
// collection order among equals; null when there is none.
const TTriVertex* ExtremeVertex(const TTriVertices& vertices, bool highest);
