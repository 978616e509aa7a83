// Filling a mesh: every pixel inside once, none outside, and the tint linear across a triangle.
#include "terrain/TriangleFill.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {
struct TBuffer {
    TBuffer(int w, int h) : Pixels(size_t(w) * h, 0), Target{Pixels.data(), w, h, w} {}
    std::vector<uint32_t> Pixels;
    TPixelTarget Target;
};
} // namespace

TEST(TriangleFillTest, AMeshFillsEveryPixelOnceWithoutGaps) {
    // A jittered grid of 12 x 9 cells of about 7.3 pixels, corners on and off whole pixels,
    // each cell cut along either diagonal.
    const int columns = 12, rows = 9;
    std::mt19937 random(4);
    std::uniform_real_distribution<double> jitter(-2, 2);
    std::vector<TFillCorner> corners;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const bool inside = i > 0 && j > 0 && i < columns && j < rows;
            const double x = 3 + i * 7.3 + (inside && (i + j) % 3 ? jitter(random) : 0);
            const double y = 2 + j * 7 + (inside && (i * j) % 2 ? jitter(random) : 0);
            corners.push_back({x, y, x + y});
        }
    auto at = [&](int i, int j) { return corners[size_t(j * (columns + 1) + i)]; };
    TBuffer counts(100, 70), shown(100, 70);
    TFillStyle style;
    style.Colour = 0xFF123456;
    auto fill = [&](TFillCorner a, TFillCorner b, TFillCorner c) {
        TBuffer one(100, 70);
        FillTriangle(one.Target, a, b, c, style);
        FillTriangle(shown.Target, a, b, c, style);
        for (size_t p = 0; p < one.Pixels.size(); ++p)
            counts.Pixels[p] += one.Pixels[p] != 0;
    };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            if ((i + j) % 2) {
                fill(at(i, j), at(i + 1, j), at(i + 1, j + 1));
                fill(at(i, j), at(i + 1, j + 1), at(i, j + 1)); // clockwise in pixels: both turns
            } else {
                fill(at(i, j), at(i + 1, j), at(i, j + 1));
                fill(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
            }
        }
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t n = counts.Pixels[size_t(y * 100 + x)];
            const bool inMesh = x > 3 && x < 3 + columns * 7.3 && y > 2 && y < 2 + rows * 7;
            if (inMesh) {
                EXPECT_EQ(n, 1u) << x << ", " << y;
            } else if (x < 3 || y < 2 || x > 3 + columns * 7.3 || y > 2 + rows * 7) {
                EXPECT_EQ(n, 0u) << x << ", " << y;
            }
        }
}

TEST(TriangleFillTest, TheTintFollowsTheElevationAcrossTheTriangle) {
    const TColourRamp ramp(0, 100);
    TFillStyle style;
    style.Ramp = &ramp;
    TBuffer image(120, 20);
    FillTriangle(image.Target, {0, 0, 0}, {110, 0, 100}, {0, 19, 0}, style);
    // Along every row the elevation is x / 110 * 100. (Row 0 lies on the top side, which the
    // triangle above it would own.)
    for (int x = 10; x <= 100; x += 10) {
        const uint32_t pixel = image.Pixels[size_t(120 + x)];
        EXPECT_TRUE(pixel == ramp.ColourOf(x / 1.1 - 1e-9) ||
                    pixel == ramp.ColourOf(x / 1.1 + 1e-9))
            << x;
    }
    EXPECT_EQ(image.Pixels[0], 0u) << "the top side is not this triangle's";
    // Shaded: each channel times the light, clamped.
    style.Light = 128;
    TBuffer dark(120, 20);
    FillTriangle(dark.Target, {0, 0, 0}, {110, 0, 100}, {0, 19, 0}, style);
    EXPECT_EQ((dark.Pixels[121] >> 16) & 0xFF, ((image.Pixels[121] >> 16) & 0xFF) / 2);
    // Degenerate, off the image or not finite: nothing.
    TBuffer none(20, 20);
    FillTriangle(none.Target, {0, 0, 0}, {10, 10, 0}, {20, 20, 0}, style);
    FillTriangle(none.Target, {-50, -50, 0}, {-40, -50, 0}, {-45, -40, 0}, style);
    FillTriangle(none.Target, {0, 0, 0}, {NAN, 5, 0}, {5, 10, 0}, style);
    for (uint32_t p : none.Pixels)
        EXPECT_EQ(p, 0u);
    // A triangle far larger than the whole-number grid still covers the image.
    TBuffer huge(20, 20);
    FillTriangle(huge.Target, {-1e8, -1e8, 0}, {1e8, -1e8, 0}, {0, 1e8, 0}, style);
    for (uint32_t p : huge.Pixels)
        EXPECT_NE(p, 0u);
}
