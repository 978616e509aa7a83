// Numbers for files other programs read: exact, and plain decimals where a survey has them.
#include "platform/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

TEST(NumberTextTest, ShortestTextIsPlainForSurveyMagnitudesAndReadsBackExactly) {
    EXPECT_EQ(FormatShortest(500000), "500000");
    EXPECT_EQ(FormatShortest(6841200), "6841200");
    EXPECT_EQ(FormatShortest(-0.0), "-0");
    EXPECT_EQ(FormatShortest(0.1), "0.1");
    EXPECT_EQ(FormatShortest(512250.125), "512250.125");
    EXPECT_EQ(FormatShortest(1e16), "10000000000000000");
    EXPECT_EQ(FormatShortest(0.000001), "0.000001");
    EXPECT_EQ(FormatShortest(1e-7), "1e-07");
    EXPECT_EQ(FormatShortest(1e300), "1e+300");
    EXPECT_EQ(FormatShortest(5e-324), "5e-324");
    std::mt19937_64 random(3);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2) // as many from the magnitudes of real coordinates
            value = std::ldexp(double(random() % (1ull << 53)), int(random() % 40) - 60);
        if (!std::isfinite(value))
            continue;
        const QByteArray text = FormatShortest(value).toLatin1();
        EXPECT_EQ(std::strtod(text.constData(), nullptr), value) << text.constData();
        const double magnitude = std::abs(value);
        if (magnitude >= 1e-6 && magnitude < 1e17) {
            EXPECT_FALSE(text.contains('e')) << text.constData();
        }
    }
}
