#include "Geometry.h"

#include <cmath>

const double NullValue = static_cast<double>(-1.2345E-35f);

bool PointInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x, double y) {
    // Every comparison with a corner that is not finite fails, which would put every point of
    // the plane inside: such a triangle holds none.
    if (!std::isfinite(a.X) || !std::isfinite(a.Y) || !std::isfinite(b.X) || !std::isfinite(b.Y) ||
        !std::isfinite(c.X) || !std::isfinite(c.Y))
        return false;
    const TPoint3D point{x, y, 0};
    const bool first = IsRightOf(a, b, point);
    return IsRightOf(b, c, point) == first && IsRightOf(c, a, point) == first;
}

double InterpolateLinear(double x1, double y1, double x2, double y2, double x) {
    if (x1 == x2)
        return NullValue;
    const double t = (x - x1) / (x2 - x1);
    if (t >= 0 && t <= 1)
        return (y2 - y1) * t + y1;
    return NullValue;
}

bool EdgeAtEasting(const TPoint3D& a, const TPoint3D& b, double x, double& y, double& z) {
    y = InterpolateLinear(a.X, a.Y, b.X, b.Y, x);
    const bool found = y != NullValue;
    if (found)
        z = InterpolateLinear(a.X, a.Z, b.X, b.Z, x);
    return found;
}

TColumnCut CutAtEasting(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x) {
    double y1 = 0, z1 = 0, y2 = 0, z2 = 0, y3 = 0, z3 = 0;
    const bool found1 = EdgeAtEasting(a, b, x, y1, z1);
    const bool found2 = EdgeAtEasting(b, c, x, y2, z2);
    const bool found3 = EdgeAtEasting(a, c, x, y3, z3);
    if (found1 && found2)
        return {true, y1, z1, y2, z2};
    if (found1 && found3)
        return {true, y1, z1, y3, z3};
    if (found2 && found3)
        return {true, y2, z2, y3, z3};
    return {};
}

double ValueInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x,
                       double y) {
    return ValueOnCut(CutAtEasting(a, b, c, x), y);
}

double SurfaceValueInTriangle(const TPoint3D& a, const TPoint3D& b, const TPoint3D& c, double x,
                              double y) {
    const double value = ValueInTriangle(a, b, c, x, y);
    if (value != NullValue || a.Z == NullValue || b.Z == NullValue || c.Z == NullValue)
        return value;
    // The column through a corner: the cut above may have paired the corner with itself.
    // Pair it with the opposite side instead, or take the corner when the column only
    // touches the triangle there.
    double ys[3], zs[3];
    int found = 0;
    const TPoint3D* ends[3][2] = {{&a, &b}, {&b, &c}, {&a, &c}};
    for (const auto& [p, q] : ends)
        if (EdgeAtEasting(*p, *q, x, ys[found], zs[found]))
            ++found;
    for (int i = 0; i < found; ++i)
        for (int j = i + 1; j < found; ++j)
            if (ys[i] != ys[j])
                if (const double v = InterpolateLinear(ys[i], zs[i], ys[j], zs[j], y);
                    v != NullValue)
                    return v;
    for (int i = 0; i < found; ++i)
        if (ys[i] == y)
            return zs[i];
    return NullValue;
}

bool VerticesCoincide(const TTriVertex* first, const TTriVertex* second, double tolerance) {
    if (first == second)
        return true;
    const double de = first->Easting - second->Easting;
    const double dn = first->Northing - second->Northing;
    const double dv = first->Value - second->Value;
    return de * de + dn * dn + dv * dv <= tolerance;
}

// Triangle operations.

namespace {
TPoint3D Corner(const TTriangle& triangle, int k) {
    return VertexPoint(*triangle.Vertex(k));
}
} // namespace

double TTriangle::Area() const {
    return TriangleArea3D(Corner(*this, 1), Corner(*this, 2), Corner(*this, 3));
}

bool TTriangle::IsClockwise() const {
    return IsRightOf(Corner(*this, 1), Corner(*this, 2), Corner(*this, 3));
}

void TTriangle::SideLengths(int& shortestSide, int& longestSide, double& shortest,
                            double& longest) const {
    auto length = [this](int k) {
        return Distance3D(Corner(*this, k), Corner(*this, NextSide(k)));
    };
    shortestSide = longestSide = 1;
    shortest = longest = length(1);
    for (int k = 2; k <= 3; ++k) {
        const double side = length(k);
        if (side > longest) {
            longest = side;
            longestSide = k;
        }
        if (side < shortest) {
            shortest = side;
            shortestSide = k;
        }
    }
}

bool TTriangle::CrossesNeighbour(int k) const {
    const TTriangle* neighbour = Neighbour(k);
    if (!neighbour)
        return false;
    const TTriVertex* a = Vertex(k);
    const TTriVertex* b = Vertex(NextSide(k));
    const TTriVertex* c = Vertex(PrevSide(k));
    const int m = neighbour->SideOf(a, b);
    const TTriVertex* q = neighbour->Vertex(PrevSide(m));
    const TPoint3D pa = VertexPoint(*a), pb = VertexPoint(*b);
    return IsRightOf(pa, pb, VertexPoint(*c)) == IsRightOf(pa, pb, VertexPoint(*q));
}

bool TTriangle::Contains(double x, double y) const {
    return PointInTriangle(Corner(*this, 1), Corner(*this, 2), Corner(*this, 3), x, y);
}

double TTriangle::ValueAt(double x, double y) const {
    return ValueInTriangle(Corner(*this, 1), Corner(*this, 2), Corner(*this, 3), x, y);
}

double TTriangle::SurfaceValueAt(double x, double y) const {
    return SurfaceValueInTriangle(Corner(*this, 1), Corner(*this, 2), Corner(*this, 3), x, y);
}
