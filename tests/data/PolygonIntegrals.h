#pragma once
// An independent road to cut and fill for the tests: a polygon of (x, y, d) corners clipped to
// d >= 0 or d <= 0 by Sutherland-Hodgman, and integrated as a fan of triangles, each its area
// times the mean of d at its corners.
#include <array>
#include <cmath>
#include <utility>
#include <vector>

using TCorner = std::array<double, 3>; // x, y, d

// The part of the polygon where sign * d >= 0.
inline std::vector<TCorner> KeepSign(const std::vector<TCorner>& polygon, double sign) {
    std::vector<TCorner> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const TCorner &p = polygon[i], &q = polygon[(i + 1) % polygon.size()];
        const bool pIn = sign * p[2] >= 0, qIn = sign * q[2] >= 0;
        if (pIn)
            kept.push_back(p);
        if (pIn != qIn) {
            const double t = p[2] / (p[2] - q[2]);
            kept.push_back({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]), 0});
        }
    }
    return kept;
}

// The polygon's plan area and the integral of d over it.
inline std::pair<double, double> AreaAndIntegral(const std::vector<TCorner>& polygon) {
    double area = 0, integral = 0;
    for (size_t i = 1; i + 1 < polygon.size(); ++i) {
        const TCorner &a = polygon[0], &b = polygon[i], &c = polygon[i + 1];
        const double part =
            std::abs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;
        area += part;
        integral += part * (a[2] + b[2] + c[2]) / 3;
    }
    return {area, integral};
}
