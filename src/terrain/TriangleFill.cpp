#include "TriangleFill.h"

#include <algorithm>
#include <cmath>

namespace {
// A side as a line function with its corners in one fixed order (by y, then x), so the two
// triangles of a side compute the very same values, and which of them owns the pixels on it.
struct TSide {
    double PX, PY, DX, DY;
    double Sign; // +1 or -1: makes the function positive inside the triangle
    bool OwnsZero;
    double At(double x, double y) const { return Sign * (DX * (y - PY) - DY * (x - PX)); }
    bool Inside(double w) const { return w > 0 || (w == 0 && OwnsZero); }
};

bool MakeSide(const TFillCorner& u, const TFillCorner& v, const TFillCorner& opposite,
              TSide& side) {
    const bool ordered = u.Y < v.Y || (u.Y == v.Y && u.X <= v.X);
    const TFillCorner& p = ordered ? u : v;
    const TFillCorner& q = ordered ? v : u;
    side = {p.X, p.Y, q.X - p.X, q.Y - p.Y, 1, true};
    const double inward = side.At(opposite.X, opposite.Y);
    if (!(inward != 0)) // no area, or not a number
        return false;
    side.Sign = inward > 0 ? 1 : -1;
    side.OwnsZero = inward > 0;
    return true;
}

uint32_t Lit(uint32_t argb, int light) {
    auto channel = [light](uint32_t c) {
        return std::min<uint32_t>(255, (c * uint32_t(light)) >> 8);
    };
    return 0xFF000000u | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 |
           channel(argb & 0xFF);
}
} // namespace

void FillTriangle(const TPixelTarget& target, const TFillCorner& a, const TFillCorner& b,
                  const TFillCorner& c, const TFillStyle& style) {
    const double minX = std::min({a.X, b.X, c.X}), maxX = std::max({a.X, b.X, c.X});
    const double minY = std::min({a.Y, b.Y, c.Y}), maxY = std::max({a.Y, b.Y, c.Y});
    if (!(maxX >= 0 && maxY >= 0 && minX <= target.Width - 1 && minY <= target.Height - 1))
        return; // outside, or not finite
    const int x0 = int(std::max(0.0, std::ceil(minX)));
    const int x1 = int(std::min(double(target.Width - 1), std::floor(maxX)));
    const int y0 = int(std::max(0.0, std::ceil(minY)));
    const int y1 = int(std::min(double(target.Height - 1), std::floor(maxY)));
    if (x0 > x1 || y0 > y1)
        return;
    TSide opposite[3]; // the side across from a, from b, from c
    if (!MakeSide(b, c, a, opposite[0]) || !MakeSide(c, a, b, opposite[1]) ||
        !MakeSide(a, b, c, opposite[2]))
        return;
    const bool interpolate = style.Ramp != nullptr;
    for (int y = y0; y <= y1; ++y) {
        uint32_t* row = target.Bits + ptrdiff_t(y) * target.Stride;
        for (int x = x0; x <= x1; ++x) {
            const double wa = opposite[0].At(x, y), wb = opposite[1].At(x, y),
                         wc = opposite[2].At(x, y);
            if (!opposite[0].Inside(wa) || !opposite[1].Inside(wb) || !opposite[2].Inside(wc))
                continue;
            if (!interpolate) {
                row[x] = style.Colour;
                continue;
            }
            const double value = (wa * a.Value + wb * b.Value + wc * c.Value) / (wa + wb + wc);
            const uint32_t colour = style.Ramp->ColourOf(value);
            row[x] = style.Light == 256 ? colour : Lit(colour, style.Light);
        }
    }
}
