#pragma once
// Planar and 3-D geometry on the mesh: points, areas, orientation, containment and linear
// interpolation. Plan questions use easting (X) and northing (Y); lengths and areas include
// the value (Z).
#include "Mesh.h"

struct TPoint3D {
    double X;
    double Y;
    double Z;
};

// The absence of a value: the single -1.2345E-35 widened to double; compared exactly.
extern const double NullValue;

TPoint3D MakePoint3D(double x, double y, double z);
TPoint3D VertexPoint(const TTriVertex& vertex);
TPoint3D Subtract3D(const TPoint3D& a, const TPoint3D& b);
double Distance3D(const TPoint3D& a, const TPoint3D& b);
TPoint3D CrossOfSides(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c);
double Length3D(const TPoint3D& v);
double TriangleArea3D(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c);
// Positive when r lies right of the directed line p to q, negative when left, 0 on it.
double TurnValue(const TPoint3D& p, const TPoint3D& q, const TPoint3D& r);
bool IsRightOf(const TPoint3D& p, const TPoint3D& q, const TPoint3D& r);
// True when (x, y) is on the same strict side of all three directed sides: inside, and on the
// sides too for an anticlockwise triangle; a degenerate triangle contains its whole line.
bool PointInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x, double y);
double InterpolateLinear(double x1, double y1, double x2, double y2, double x);
bool EdgeAtEasting(const TPoint3D& a, const TPoint3D& b, double x, double& y, double& z);
double ValueInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x, double y);
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
