#pragma once
// What a ray from the 3D view's eye meets first on the model's surface. The ray is in scene
// coordinates (TTerrainTiles' frame, elevations stretched by the exaggeration); the triangles
// that can meet it are those the look-up index places along its plan track.
#include "OrbitCamera.h"

class TTriangle;
class TTriangleMesh;
class TTerrainTiles;

struct TSurfaceHit {
    TTriangle* Triangle = nullptr;               // null: the ray misses the surface
    double Easting = 0, Northing = 0, Value = 0; // the point met, in the model's coordinates
    TVec3 Scene;                                 // and in the scene
};

TSurfaceHit PickSurface(const TTriangleMesh& mesh, const TTerrainTiles& tiles, const TRay& ray,
                        double exaggeration);
