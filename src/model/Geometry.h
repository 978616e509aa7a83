#pragma once
// Planar and 3-D geometry on the mesh: points, areas, orientation, containment and linear
// interpolation. Plan questions use easting (X) and northing (Y); lengths and areas include
// the value (Z).
#include "Mesh.h"

#include <cmath>

struct TPoint3D {
    double X;
    double Y;
    double Z;
};

// The absence of a value: the single -1.2345E-35 widened to double; compared exactly.
extern const double NullValue;

inline TPoint3D MakePoint3D(double x, double y, double z) {
    return {x, y, z};
}
inline TPoint3D VertexPoint(const TTriVertex& vertex) {
    return {vertex.Easting, vertex.Northing, vertex.Value};
}
inline TPoint3D Subtract3D(const TPoint3D& a, const TPoint3D& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline double Length3D(const TPoint3D& v) {
    return std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
}
inline double Distance3D(const TPoint3D& a, const TPoint3D& b) {
    return Length3D(Subtract3D(a, b));
}
inline TPoint3D CrossOfSides(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c) {
    const TPoint3D u = Subtract3D(b, a);
    const TPoint3D v = Subtract3D(c, a);
    return {u.Y * v.Z - v.Y * u.Z, u.Z * v.X - v.Z * u.X, u.X * v.Y - v.X * u.Y};
}
inline double TriangleArea3D(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c) {
    return Length3D(CrossOfSides(a, b, c)) / 2;
}
// Positive when r lies right of the directed line p to q, negative when left, 0 on it.
inline double TurnValue(const TPoint3D& p, const TPoint3D& q, const TPoint3D& r) {
    return (q.Y - p.Y) * (r.X - p.X) - (q.X - p.X) * (r.Y - p.Y);
}
inline bool IsRightOf(const TPoint3D& p, const TPoint3D& q, const TPoint3D& r) {
    return TurnValue(p, q, r) > 0;
}
// True when (x, y) is on the same strict side of all three directed sides: inside, and on the
// sides too for an anticlockwise triangle; a degenerate triangle contains its whole line.
bool PointInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x, double y);
double InterpolateLinear(double x1, double y1, double x2, double y2, double x);
bool EdgeAtEasting(const TPoint3D& a, const TPoint3D& b, double x, double& y, double& z);
double ValueInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x, double y);
// The surface's value at a point the triangle holds: ValueInTriangle's where it gives one, and
// where it gives none for a point on the column through a corner, the value along the cut from
// that corner to the opposite side. For samples (grids, differences), where the readout's rule
// would leave holes at every vertex.
double SurfaceValueInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x,
                              double y);
// The triangle cut along the line of easting x: the two side points ValueInTriangle
// interpolates between, so that a column of points costs one cut. Valid is false where it
// finds none.
struct TColumnCut {
    bool Valid = false;
    double Y1 = 0, Z1 = 0, Y2 = 0, Z2 = 0;
};
TColumnCut CutAtEasting(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x);
// ValueInTriangle(a, b, c, x, y) for the cut at x, to the last bit.
inline double ValueOnCut(const TColumnCut& cut, double y) {
    return cut.Valid ? InterpolateLinear(cut.Y1, cut.Z1, cut.Y2, cut.Z2, y) : NullValue;
}
bool VerticesCoincide(const TTriVertex* first, const TTriVertex* second, double tolerance);
