#include "model/ValueFormat.h"
#include "model/Geometry.h"

#include <cmath>
#include <gtest/gtest.h>

// The tests run in the C locale, whose decimal separator is a full stop.
TEST(ValueFormatTest, FormatValue) {
    EXPECT_EQ(FormatValue(2, 1.0), "1.00");
    EXPECT_EQ(FormatValue(3, -2.5), "-2.500");
    EXPECT_EQ(FormatValue(2, NullValue), "<Null>");
    EXPECT_EQ(FormatValue(0, 1.5e15), "1.500000000E+015") << "more integer digits than precision";
    EXPECT_EQ(FormatValue(3, -std::nan("")), "NaN") << "whatever its sign bit";
    EXPECT_EQ(FormatValue(3, INFINITY), "INF");
    EXPECT_EQ(FormatValue(1, -INFINITY), "-INF");
}

TEST(ValueFormatTest, TrimZeros) {
    EXPECT_EQ(TrimZeros("12.500", 0), "12.5");
    EXPECT_EQ(TrimZeros("12.000", 0), "12");
    EXPECT_EQ(TrimZeros("12.000", 1), "12.0");
    EXPECT_EQ(TrimZeros("1.50E+003", 0), "1.5E+003");
    EXPECT_EQ(TrimZeros("0.75", 0), "0.75");
    EXPECT_EQ(TrimZeros("1200", 0), "1200");
    EXPECT_EQ(TrimZeros(QString(40, u'1') + ".10", 0), QString(30, u'1'));
}
