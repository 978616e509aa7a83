#include "Hillshade.h"

#include <cmath>

namespace {
// Toward the light: azimuth 315 degrees (north-west), altitude 45 degrees.
const double LightX = -std::sqrt(0.5) * std::sqrt(0.5);
const double LightY = std::sqrt(0.5) * std::sqrt(0.5);
const double LightZ = std::sqrt(0.5);
} // namespace

double LevelGroundShade() {
    return LightZ;
}

double HillshadeOf(const TTriVertex& a, const TTriVertex& b, const TTriVertex& c,
                   double exaggeration) {
    const double ux = b.Easting - a.Easting, uy = b.Northing - a.Northing;
    const double uz = (b.Value - a.Value) * exaggeration;
    const double vx = c.Easting - a.Easting, vy = c.Northing - a.Northing;
    const double vz = (c.Value - a.Value) * exaggeration;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    if (nz < 0) { // clockwise corners: the upward normal is the other one
        nx = -nx;
        ny = -ny;
        nz = -nz;
    }
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0) || !std::isfinite(length) || nz == 0)
        return LevelGroundShade();
    const double lit = (nx * LightX + ny * LightY + nz * LightZ) / length;
    return lit > 0 ? lit : 0;
}

std::vector<uint8_t> TriangleShades(const TTriangles& triangles, double exaggeration) {
    std::vector<uint8_t> shades(static_cast<size_t>(triangles.Count()), 0);
    for (int i = 0; i < triangles.Count(); ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        if (!t || !t->Vertex(1) || !t->Vertex(2) || !t->Vertex(3))
            continue;
        const double shade = HillshadeOf(*t->Vertex(1), *t->Vertex(2), *t->Vertex(3), exaggeration);
        shades[static_cast<size_t>(i)] = static_cast<uint8_t>(std::lround(shade * 255));
    }
    return shades;
}

double TintFactor(uint8_t shade) {
    return 0.4 + 0.6 * (shade / 255.0) / LevelGroundShade();
}
