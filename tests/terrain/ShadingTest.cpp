// The colour ramp and the hillshade.
#include "terrain/ColourRamp.h"
#include "terrain/Hillshade.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
int Red(uint32_t c) {
    return (c >> 16) & 0xFF;
}
int Green(uint32_t c) {
    return (c >> 8) & 0xFF;
}
int Blue(uint32_t c) {
    return c & 0xFF;
}

double Shade(double x1, double y1, double z1, double x2, double y2, double z2, double x3, double y3,
             double z3, double exaggeration = 1) {
    return HillshadeOf(TTriVertex(x1, y1, z1), TTriVertex(x2, y2, z2), TTriVertex(x3, y3, z3),
                       exaggeration);
}
} // namespace

TEST(ShadingTest, RampRunsFromBlueGreenToNearWhiteOverTheRange) {
    const TColourRamp ramp(100, 300);
    const uint32_t low = ramp.ColourOf(100), high = ramp.ColourOf(300);
    EXPECT_GT(Blue(low), Red(low)) << "low ground blue-green";
    EXPECT_GT(Green(low), Red(low));
    EXPECT_GE(std::min({Red(high), Green(high), Blue(high)}), 230) << "high ground near white";
    const uint32_t middle = ramp.ColourOf(210);
    EXPECT_GT(Red(middle), Blue(middle)) << "yellow-brown between";
    EXPECT_EQ(ramp.ColourOf(50), low) << "below the range: the lowest colour";
    EXPECT_EQ(ramp.ColourOf(1e9), high);
    EXPECT_EQ(ramp.ColourOf(std::nan("")), low);
    EXPECT_EQ(ramp.ColourOf(100) >> 24, 0xFFu);
    const TColourRamp flat(5, 5);
    EXPECT_EQ(flat.ColourOf(5), flat.ColourOf(-7)) << "one colour for a flat model";
}

TEST(ShadingTest, LightComesFromTheNorthWestAt45Degrees) {
    EXPECT_NEAR(Shade(0, 0, 0, 10, 0, 0, 0, 10, 0), std::sqrt(0.5), 1e-12) << "level ground";
    // Rising to the south-east faces the light; rising to the north-west turns away from it.
    const double facing = Shade(0, 0, 0, 10, 0, 5, 0, 10, -5);
    const double away = Shade(0, 0, 0, 10, 0, -5, 0, 10, 5);
    EXPECT_GT(facing, std::sqrt(0.5));
    EXPECT_LT(away, std::sqrt(0.5));
    // A plane whose normal points at the light is lit fully.
    EXPECT_NEAR(Shade(0, 0, 0, 1, 1, 0, -1, 1, -std::sqrt(2.0)), 1, 1e-12);
    EXPECT_DOUBLE_EQ(Shade(0, 0, 0, 0, 10, -5, 10, 0, 5), facing) << "clockwise corners too";
    EXPECT_GT(Shade(0, 0, 0, 10, 0, 1, 0, 10, -1, 3), Shade(0, 0, 0, 10, 0, 1, 0, 10, -1))
        << "exaggeration steepens a gentle slope toward the light";
    EXPECT_DOUBLE_EQ(Shade(0, 0, 0, 5, 5, 3, 10, 10, 9), std::sqrt(0.5)) << "no plane";
    EXPECT_DOUBLE_EQ(Shade(0, 0, std::nan(""), 10, 0, 0, 0, 10, 0), std::sqrt(0.5));
    EXPECT_NEAR(TintFactor(uint8_t(std::lround(std::sqrt(0.5) * 255))), 1, 0.01);
}
