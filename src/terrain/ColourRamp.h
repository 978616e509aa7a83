#pragma once
// The hypsometric tint: a colour for every elevation of a model's range, low blue-green through
// green and yellow-brown to a high near-white, looked up in a table so that a pixel costs an
// index and a load.
#include <array>
#include <cstdint>

// The elevation tint, or the diverging ramp of a difference between two surfaces: cut (below
// 0) red, white at 0, fill (above 0) blue.
enum class TRampKind { Elevation, Difference };

class TColourRamp {
public:
    static constexpr int Steps = 1024;
    // The ramp stretched over minValue..maxValue; a range of no width gives the middle colour.
    TColourRamp(double minValue, double maxValue, TRampKind kind = TRampKind::Elevation);
    double MinValue() const { return FMin; }
    double MaxValue() const { return FMax; }
    // 0xAARRGGBB with alpha 0xFF, as the screen image stores pixels.
    uint32_t ColourOf(double value) const { return FTable[IndexOf(value)]; }
    // The colour at a fraction 0..1 of the range, for the legend.
    uint32_t ColourAtFraction(double fraction) const;

private:
    int IndexOf(double value) const {
        const double at = (value - FMin) * FScale;
        if (!(at > 0)) // below, or not a number
            return 0;
        return at >= Steps - 1 ? Steps - 1 : static_cast<int>(at);
    }
    double FMin, FMax, FScale;
    std::array<uint32_t, Steps> FTable{};
};
