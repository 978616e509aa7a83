#include "inspect/HeaderRows.h"
#include "TerrainGenerator.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {
QString ValueOf(const std::vector<THeaderRow>& rows, const char* field) {
    for (const THeaderRow& row : rows)
        if (row.Field == field)
            return row.Value;
    return "missing";
}
} // namespace

TEST(HeaderRowsTest, TwentyNineRowsInRecordOrder) {
    const TVRKHeader header = HeaderOf(WriteModel(GenerateTerrain(2, 2)));
    const std::vector<THeaderRow> rows = HeaderRows(header, u'.');
    ASSERT_EQ(rows.size(), 29u);
    EXPECT_EQ(rows[0].Field, "FileMajorVersion");
    EXPECT_EQ(rows[2].Value, "QDS TIN DTM FILE");
    EXPECT_EQ(rows[3].Value, "Test model");
    EXPECT_EQ(rows[4].Value, "Metres");
    EXPECT_EQ(rows[6].Value, "Linear");
    EXPECT_EQ(rows[28].Field, "StartPointRecordSize");
}

TEST(HeaderRowsTest, ValueTexts) {
    TVRKHeader h{};
    h.CoordinateUnits = 3;
    h.VertexValueUnits = 255;
    h.InterpolationMethod = 2;
    h.EdgeRecordSize = -1;
    h.VertexNumberSize = 0xFF;
    h.MinimumEasting = 1234.5;
    h.MaximumEasting = 0.1 + 0.2;
    h.MaximumNorthing = 1e20;
    std::memset(h.DTMModelInternalName, 'a', 32);
    const auto rows = HeaderRows(h, u',');
    EXPECT_EQ(ValueOf(rows, "CoordinateUnits"), "US Survey Feet");
    EXPECT_EQ(ValueOf(rows, "VertexValueUnits"), "(255)");
    EXPECT_EQ(ValueOf(rows, "InterpolationMethod"), "(2)");
    EXPECT_EQ(ValueOf(rows, "EdgeRecordSize"), "-1");
    EXPECT_EQ(ValueOf(rows, "VertexNumberSize"), "255");
    EXPECT_EQ(ValueOf(rows, "MinimumEasting"), "1234,5");
    EXPECT_EQ(ValueOf(rows, "MaximumEasting"), "0,3");
    EXPECT_EQ(ValueOf(rows, "MinimumNorthing"), "0");
    EXPECT_EQ(ValueOf(rows, "MaximumNorthing"), "1e+20");
    EXPECT_EQ(ValueOf(rows, "DTMModelInternalName"), QString(32, u'a'));
    EXPECT_EQ(ValueOf(rows, "FileSignature"), "");
}

TEST(HeaderRowsTest, EnumName) {
    EXPECT_EQ(EnumName(1, "Metres,Feet,US Survey Feet"), "Metres");
    EXPECT_EQ(EnumName(0, "Metres,Feet,US Survey Feet"), "(0)");
    EXPECT_EQ(EnumName(4, "Metres,Feet,US Survey Feet"), "(4)");
    EXPECT_EQ(EnumName(1, "Linear"), "Linear");
}
