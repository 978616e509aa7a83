#include "TriangleFill.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Corners are placed on a grid of 1/256 pixel: whole numbers, so the side functions are exact
// and step from pixel to pixel by addition, and the two triangles of a side agree on every
// pixel. Larger coordinates than this would overflow the products.
constexpr double Subpixels = 256;
constexpr double MaxCoordinate = 1 << 22;

// A side as an exact line function, positive inside the triangle. Which of the side's two
// triangles owns the pixels on it follows from the side's direction taken in one fixed order
// (by y, then x).
struct TSide {
    int64_t A, B, PX, PY; // function A * (y - PY) - B * (x - PX), signed to be positive inside
    bool OwnsZero;
    int64_t At(int64_t x, int64_t y) const { return A * (y - PY) - B * (x - PX); }
};

struct TFixed {
    int64_t X, Y;
};

// area: twice the triangle's signed area, taken in the corners' own order, which is also the
// side function of u to v at the opposite corner.
void MakeSide(TFixed u, TFixed v, int64_t area, TSide& side) {
    const bool ordered = u.Y < v.Y || (u.Y == v.Y && u.X <= v.X);
    const TFixed p = ordered ? u : v, q = ordered ? v : u;
    const int64_t inward = ordered ? area : -area;
    side = {q.X - p.X, q.Y - p.Y, p.X, p.Y, inward > 0};
    if (inward < 0) {
        side.A = -side.A;
        side.B = -side.B;
    }
}

inline bool Inside(int64_t w, bool ownsZero) {
    return w > 0 || (w == 0 && ownsZero);
}

inline uint32_t Lit(uint32_t argb, uint32_t light) {
    const uint32_t r = std::min<uint32_t>(255, (((argb >> 16) & 0xFF) * light) >> 8);
    const uint32_t g = std::min<uint32_t>(255, (((argb >> 8) & 0xFF) * light) >> 8);
    const uint32_t b = std::min<uint32_t>(255, ((argb & 0xFF) * light) >> 8);
    return 0xFF000000u | r << 16 | g << 8 | b;
}
} // namespace

namespace {
// To the nearest whole number, halves to even: one instruction, where llround is a call.
inline int64_t Nearest(double value) {
#if defined(__SSE2__)
    return _mm_cvtsd_si64(_mm_set_sd(value));
#else
    return std::llrint(value);
#endif
}

// The same fill with the side functions in doubles, for the rare triangle too large for the
// whole-number grid (a view zoomed far into a coarse model). A pixel exactly on a shared side
// may then go to both triangles or neither; at such sizes that is never seen.
void FillHugeTriangle(const TPixelTarget& target, const TFillCorner& a, const TFillCorner& b,
                      const TFillCorner& c, const TFillStyle& style, int x0, int x1, int y0,
                      int y1) {
    auto side = [](const TFillCorner& u, const TFillCorner& v, const TFillCorner& o, double x,
                   double y) {
        const double inward = (v.X - u.X) * (o.Y - u.Y) - (v.Y - u.Y) * (o.X - u.X);
        return ((v.X - u.X) * (y - u.Y) - (v.Y - u.Y) * (x - u.X)) * (inward > 0 ? 1 : -1);
    };
    const double area = (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
    if (!(area != 0))
        return;
    for (int y = y0; y <= y1; ++y) {
        uint32_t* row = target.Bits + ptrdiff_t(y) * target.Stride;
        for (int x = x0; x <= x1; ++x) {
            const double wa = side(b, c, a, x, y), wb = side(c, a, b, x, y),
                         wc = side(a, b, c, x, y);
            if (wa < 0 || wb < 0 || wc < 0)
                continue;
            const double value = (wa * a.Value + wb * b.Value + wc * c.Value) / (wa + wb + wc);
            row[x] = !style.Ramp
                         ? style.Colour
                         : Lit(style.Ramp->ColourOf(value), uint32_t(std::max(0, style.Light)));
        }
    }
}
} // namespace

void FillTriangle(const TPixelTarget& target, const TFillCorner& a, const TFillCorner& b,
                  const TFillCorner& c, const TFillStyle& style) {
    if (!std::isfinite(a.X + b.X + c.X + a.Y + b.Y + c.Y))
        return;
    const double minX = std::min({a.X, b.X, c.X}), maxX = std::max({a.X, b.X, c.X});
    const double minY = std::min({a.Y, b.Y, c.Y}), maxY = std::max({a.Y, b.Y, c.Y});
    if (!(maxX >= 0 && maxY >= 0 && minX <= target.Width - 1 && minY <= target.Height - 1))
        return; // outside
    if (std::max({-minX, -minY, maxX, maxY}) > MaxCoordinate) {
        const int x0 = int(std::max(0.0, std::ceil(minX)));
        const int x1 = int(std::min(double(target.Width - 1), std::floor(maxX)));
        const int y0 = int(std::max(0.0, std::ceil(minY)));
        const int y1 = int(std::min(double(target.Height - 1), std::floor(maxY)));
        return FillHugeTriangle(target, a, b, c, style, x0, x1, y0, y1);
    }
    const TFixed fa{Nearest(a.X * Subpixels), Nearest(a.Y * Subpixels)};
    const TFixed fb{Nearest(b.X * Subpixels), Nearest(b.Y * Subpixels)};
    const TFixed fc{Nearest(c.X * Subpixels), Nearest(c.Y * Subpixels)};
    // The whole pixels inside the box: ceiling and floor by shifts of the grid's units.
    const int x0 = int(std::max<int64_t>(0, (std::min({fa.X, fb.X, fc.X}) + 255) >> 8));
    const int x1 = int(std::min<int64_t>(target.Width - 1, std::max({fa.X, fb.X, fc.X}) >> 8));
    const int y0 = int(std::max<int64_t>(0, (std::min({fa.Y, fb.Y, fc.Y}) + 255) >> 8));
    const int y1 = int(std::min<int64_t>(target.Height - 1, std::max({fa.Y, fb.Y, fc.Y}) >> 8));
    if (x0 > x1 || y0 > y1)
        return;
    const int64_t area = (fb.X - fa.X) * (fc.Y - fa.Y) - (fb.Y - fa.Y) * (fc.X - fa.X);
    if (area == 0)
        return;
    TSide sides[3]; // across from a, from b, from c
    MakeSide(fb, fc, area, sides[0]);
    MakeSide(fc, fa, area, sides[1]);
    MakeSide(fa, fb, area, sides[2]);
    const int64_t step = int64_t(Subpixels);
    // The plane of the elevations over the pixels, for the tint.
    const bool tint = style.Ramp != nullptr;
    double valueAt = 0, valueStepX = 0, valueStepY = 0;
    if (tint) {
        const double ux = b.X - a.X, uy = b.Y - a.Y, vx = c.X - a.X, vy = c.Y - a.Y;
        const double d = ux * vy - vx * uy;
        const double du = b.Value - a.Value, dv = c.Value - a.Value;
        valueStepX = (du * vy - dv * uy) / d;
        valueStepY = (dv * ux - du * vx) / d;
        valueAt = a.Value + (x0 - a.X) * valueStepX + (y0 - a.Y) * valueStepY;
    }
    const uint32_t light = uint32_t(std::max(0, style.Light));
    for (int y = y0; y <= y1; ++y, valueAt += valueStepY) {
        uint32_t* row = target.Bits + ptrdiff_t(y) * target.Stride;
        const int64_t fy = y * step, fx = x0 * step;
        int64_t w0 = sides[0].At(fx, fy), w1 = sides[1].At(fx, fy), w2 = sides[2].At(fx, fy);
        const int64_t d0 = -sides[0].B * step, d1 = -sides[1].B * step, d2 = -sides[2].B * step;
        double value = valueAt;
        for (int x = x0; x <= x1; ++x, w0 += d0, w1 += d1, w2 += d2, value += valueStepX) {
            if (!Inside(w0, sides[0].OwnsZero) || !Inside(w1, sides[1].OwnsZero) ||
                !Inside(w2, sides[2].OwnsZero))
                continue;
            if (!tint)
                row[x] = style.Colour;
            else if (light == 256)
                row[x] = style.Ramp->ColourOf(value);
            else
                row[x] = Lit(style.Ramp->ColourOf(value), light);
        }
    }
}
