#include "ColourRamp.h"

#include <algorithm>
#include <cmath>

namespace {
struct TStop {
    double At;
    int R, G, B;
};
// Low ground blue-green, then greens, yellow-brown, brown and a near-white top.
constexpr TStop Stops[] = {{0.00, 40, 120, 130},  {0.15, 70, 160, 110}, {0.35, 140, 190, 100},
                           {0.55, 220, 200, 120}, {0.75, 170, 120, 70}, {0.90, 150, 130, 120},
                           {1.00, 250, 250, 250}};

uint32_t Pack(double r, double g, double b) {
    auto channel = [](double c) {
        return static_cast<uint32_t>(std::clamp(std::lround(c), 0L, 255L));
    };
    return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// Cut red, white at no difference, fill blue.
constexpr TStop DifferenceStops[] = {{0.00, 170, 30, 30},
                                     {0.25, 230, 120, 100},
                                     {0.50, 255, 255, 255},
                                     {0.75, 110, 160, 220},
                                     {1.00, 30, 70, 160}};

template <size_t N> uint32_t RampColour(const TStop (&stops)[N], double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    for (size_t i = 1; i < N; ++i) {
        const TStop &low = stops[i - 1], &high = stops[i];
        if (fraction <= high.At) {
            const double t = (fraction - low.At) / (high.At - low.At);
            return Pack(low.R + t * (high.R - low.R), low.G + t * (high.G - low.G),
                        low.B + t * (high.B - low.B));
        }
    }
    const TStop& top = stops[N - 1];
    return Pack(top.R, top.G, top.B);
}
} // namespace

TColourRamp::TColourRamp(double minValue, double maxValue, TRampKind kind)
    : FMin(minValue), FMax(maxValue) {
    const double range = maxValue - minValue;
    const bool flat = !(range > 0) || !std::isfinite(range);
    FScale = flat ? 0 : (Steps - 1) / range;
    for (int i = 0; i < Steps; ++i)
        FTable[static_cast<size_t>(i)] =
            kind == TRampKind::Elevation
                ? RampColour(Stops, flat ? 0.5 : (i + 0.5) / Steps)
                : RampColour(DifferenceStops, flat ? 0.5 : (i + 0.5) / Steps);
}

uint32_t TColourRamp::ColourAtFraction(double fraction) const {
    if (FScale == 0)
        return FTable[0];
    return FTable[static_cast<size_t>(
        std::clamp(static_cast<int>(fraction * (Steps - 1)), 0, Steps - 1))];
}
