#pragma once
// The exact geometry of the mending: orientations and containment by exact predicates, and the
// filling of the hole that faces taken out leave.
#include "SurfaceEdits.h"

// +1 when c lies left of the line from a to b, -1 right of it, 0 on it: exactly.
int Orientation(const TPlanPoint& a, const TPlanPoint& b, const TPlanPoint& c);
// Whether the face's closed area holds p.
bool FaceHolds(const TSurfaceData& surface, const TFace& face, const TPlanPoint& p);
// Whether the face's closed area meets the closed segment a-b.
bool FaceMeetsSegment(const TSurfaceData& surface, const TFace& face, const TPlanPoint& a,
                      const TPlanPoint& b);
// The face with its corners in anticlockwise order.
TFace Anticlockwise(const TSurfaceData& surface, TFace face);

// Faces for the hole the removed faces leave (less the gone point's place, at the outline): the
// constrained Delaunay triangulation of the hole's corners and the added points (numbered from
// the surface's point count on), with the hole's outline and the segments as sides, where it
// lies inside the hole. Corners keep the numbering before the gone point is taken out. Raises
// EEditRefused when the segments cross the hole's outline or one another, or two of the points
// lie at one place.
std::vector<TFace> FillHole(const TSurfaceData& surface,
                            const std::vector<std::pair<uint32_t, TFace>>& removed,
                            std::optional<uint32_t> gonePoint,
                            const std::vector<TSurfacePoint>& added,
                            const std::vector<std::pair<uint32_t, uint32_t>>& segments);
