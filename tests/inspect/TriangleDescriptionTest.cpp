#include "inspect/TriangleDescription.h"
#include "model/Mesh.h"

#include <gtest/gtest.h>

TEST(TriangleDescriptionTest, PointsLinesAndDirection) {
    TTriVertex a(1234.5, 10.25, -2), b(0, 10, 0), c(10, 0, 0);
    a.Number = 7;
    b.Number = 8;
    c.Number = 9;
    TTriangle clockwise(&a, &b, &c);
    EXPECT_EQ(
        TrianglePointsText(clockwise, u','),
        "7: 1234,500, 10,250, -2,000\r\n8: 0,000, 10,000, 0,000\r\n9: 10,000, 0,000, 0,000\r\n");
    TTriVertex o(0, 0, 0), north(0, 10, 0), east(10, 0, 0), far(20, 0, 0);
    EXPECT_EQ(DirectionText(TTriangle(&o, &north, &east)), "Clockwise");
    EXPECT_EQ(DirectionText(TTriangle(&o, &east, &north)), "Anticlockwise");
    EXPECT_EQ(DirectionText(TTriangle(&o, &east, &far)), "Anticlockwise") << "collinear";
    EXPECT_EQ(NeighbourText(nullptr), "None");
    clockwise.Number = 12;
    EXPECT_EQ(NeighbourText(&clockwise), "12");
}

TEST(TriangleDescriptionTest, HistoryLikeABrowsers) {
    TTriVertex v(0, 0, 0);
    TTriangle a(&v, &v, &v), b(&v, &v, &v), c(&v, &v, &v), d(&v, &v, &v);
    TTriangleHistory history;
    EXPECT_FALSE(history.CanGoBack());
    for (TTriangle* t : {&a, &b, &c})
        history.Add(t);
    history.SetIndex(0);
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_TRUE(history.CanGoForward());
    history.Add(&d); // visiting after stepping back drops the forward part
    EXPECT_EQ(history.Length(), 2);
    EXPECT_EQ(history.At(1), &d);
    EXPECT_FALSE(history.CanGoForward());
    history.Add(&d);
    EXPECT_EQ(history.Length(), 3) << "the same triangle again is a new entry";
}
