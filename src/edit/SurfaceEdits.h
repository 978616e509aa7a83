#pragma once
// Mending a surface: every edit is a change of a few faces and points that applies and reverts
// exactly, so that undo gives back the surface as it was, face for face and point for point.
// Faces stay anticlockwise; filled holes are the constrained Delaunay triangulation of their
// corners, with their outline (and a new breakline) as sides. The tests of position use exact
// predicates: at survey coordinates a floating-point orientation is not reliable.
#include "import/SurfaceData.h"
#include "terrain/PlanPoint.h"

#include <optional>
#include <utility>

class TVandrelTINModel;

// An edit that cannot be made here; the message says why, for the user.
class EEditRefused : public Exception {
    using Exception::Exception;
};

using TFace = std::array<uint32_t, 3>;

struct TSurfaceChange {
    // Faces taken out, by their place before the change (ascending), with their corners.
    std::vector<std::pair<uint32_t, TFace>> RemovedFaces;
    // Points no face uses once RemovedFaces are out (ascending, with their values); later
    // points move down.
    std::vector<std::pair<uint32_t, TSurfacePoint>> RemovedPoints;
    std::vector<TSurfacePoint> AddedPoints; // appended
    std::vector<TFace> AddedFaces;          // appended, numbered as the points are after the change
};

void ApplyChange(TSurfaceData& surface, const TSurfaceChange& change);
// Gives back the surface ApplyChange was given.
void RevertChange(TSurfaceData& surface, const TSurfaceChange& change);

// The model's points and faces in its own order, with its name and units. Raises EEditRefused
// for a model with a triangle that lacks a corner of its own.
TSurfaceData SurfaceOfModel(const TVandrelTINModel& model);

// Each raises EEditRefused when the edit cannot be made, and leaves no face without a
// neighbour's consent: a surface keeps at least one face.
TSurfaceChange DeleteFaces(const TSurfaceData& surface, std::vector<uint32_t> faces);
// The faces whose centroid lies inside the polygon (a ring of at least three corners).
std::vector<uint32_t> FacesInsidePolygon(const TSurfaceData& surface,
                                         const std::vector<TPlanPoint>& polygon);
// The outline faces with a side longer than maxEdge, again and again from the outline inward.
std::vector<uint32_t> LongOutlineFaces(const TSurfaceData& surface, double maxEdge);
// The side between the two faces turned to join their other corners, where the two make a
// strictly convex quadrilateral.
TSurfaceChange SwapSide(const TSurfaceData& surface, uint32_t face, uint32_t other);
// A point on the surface (not at a point already there) splitting the face or the two faces
// it lies in.
TSurfaceChange AddPoint(const TSurfaceData& surface, const TSurfacePoint& point);
// The point and its faces go; the hole is filled with the constrained Delaunay triangulation
// of the points round it (at the outline, where it lies inside the hole).
TSurfaceChange DeletePoint(const TSurfaceData& surface, uint32_t point);
// Every segment of the line becomes sides of faces; its corners become points with the
// elevations given (a corner at a point already there keeps that point). The line must lie
// on the surface.
TSurfaceChange AddBreakline(const TSurfaceData& surface, const std::vector<TSurfacePoint>& line);
