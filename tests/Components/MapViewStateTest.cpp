// The map view's computations with the client sizes and views of worked examples.
#include "Components/MapViewState.h"

#include <gtest/gtest.h>

namespace {
// A view fitted to extents in a client, zoomed to its extents as opening a model does.
TMapViewState Fitted(double minX, double maxX, double minY, double maxY, int cw, int ch) {
    TMapViewState view;
    view.ClientWidth = cw;
    view.ClientHeight = ch;
    view.DrawRect = {0, 0, cw, ch};
    view.SetExtents(minX, maxX, minY, maxY);
    view.PlaceView(view.FrameLeft, view.FrameBottom, 1);
    view.RebuildView();
    return view;
}

void SetViewAndPaint(TMapViewState& view, double x, double y, double zoom) {
    view.PlaceView(x, y, zoom);
    view.RebuildView();
}
} // namespace

TEST(MapViewStateTest, FrameAndTransformsOfAWideModel) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 500);
    EXPECT_DOUBLE_EQ(view.FrameLeft, -55);
    EXPECT_DOUBLE_EQ(view.FrameBottom, -305);
    EXPECT_DOUBLE_EQ(view.FrameWidth, 1100);
    EXPECT_DOUBLE_EQ(view.FrameHeight, 1100);
    EXPECT_DOUBLE_EQ(view.MaxZoom, 1100000);
    EXPECT_EQ(view.WorldToPixelX(0), 25);
    EXPECT_EQ(view.WorldToPixelX(1000), 480);
    EXPECT_EQ(view.WorldToPixelY(0), 361);
    EXPECT_EQ(view.WorldToPixelY(500), 134);
    EXPECT_DOUBLE_EQ(view.PixelToWorldX(25), 0);
    EXPECT_DOUBLE_EQ(view.PixelToWorldY(500), -305);
}

TEST(MapViewStateTest, ZoomAboutTheCentreAndScrollSteps) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 500);
    const THistoryEntry centred = view.CentredView(495, 245, 2);
    EXPECT_DOUBLE_EQ(centred.Left, 220);
    EXPECT_DOUBLE_EQ(centred.Bottom, -30);
    SetViewAndPaint(view, centred.Left, centred.Bottom, centred.Zoom);
    EXPECT_EQ(view.HPos, 500000);
    EXPECT_EQ(view.VPos, 500000);
    EXPECT_DOUBLE_EQ(view.ViewLeft, 220);
    EXPECT_DOUBLE_EQ(view.ViewBottom, -30);
    EXPECT_DOUBLE_EQ(view.ViewWidth, 550);
    EXPECT_EQ(view.ScrollTarget(500000, TScrollCode::PageDown, 0), 850000);
    EXPECT_EQ(view.ScrollTarget(500000, TScrollCode::LineUp, 0), 465000);
    EXPECT_EQ(view.ScrollTarget(900000, TScrollCode::PageDown, 0), 1000000) << "clamped";
    EXPECT_EQ(view.ScrollTarget(500000, TScrollCode::Other, 7), 500000) << "thumb tracking";
    EXPECT_EQ(view.ScrollTarget(500000, TScrollCode::ThumbPosition, 7), 7);
    view.VPos = view.ScrollTarget(view.VPos, TScrollCode::Top, 0);
    view.RebuildView();
    EXPECT_DOUBLE_EQ(view.ViewTop, view.FrameBottom + view.FrameHeight) << "top of the frame";
}

TEST(MapViewStateTest, SinglePointReversedAndExaggeratedExtents) {
    TMapViewState point = Fitted(100, 100, 100, 100, 500, 250);
    EXPECT_DOUBLE_EQ(point.FrameLeft, 88.9);
    EXPECT_DOUBLE_EQ(point.FrameBottom, 99.45);
    EXPECT_DOUBLE_EQ(point.FrameWidth, 22);
    EXPECT_DOUBLE_EQ(point.FrameHeight, 11);

    TMapViewState reversed = Fitted(1000, 0, 0, 500, 500, 500);
    EXPECT_DOUBLE_EQ(reversed.FrameLeft, 1000 - 55) << "anchored at MinX, not swapped";

    TMapViewState exaggerated = Fitted(0, 100, 0, 100, 400, 400);
    exaggerated.StoreYAspect(2);
    SetViewAndPaint(exaggerated, exaggerated.FrameLeft, exaggerated.FrameBottom, 1);
    const int across = exaggerated.WorldToPixelX(10) - exaggerated.WorldToPixelX(0);
    const int up = exaggerated.WorldToPixelY(0) - exaggerated.WorldToPixelY(10);
    EXPECT_NEAR(up, 2 * across, 1);
    exaggerated.StoreYAspect(0);
    EXPECT_EQ(exaggerated.YAspect(), 1.0);
}

TEST(MapViewStateTest, PositionsKeepTheViewInsideTheFrame) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 500);
    SetViewAndPaint(view, -5000, 7000, 1);
    EXPECT_DOUBLE_EQ(view.ViewLeft, view.FrameLeft) << "zoom 1 shows the frame";
    EXPECT_DOUBLE_EQ(view.ViewBottom, view.FrameBottom);
    SetViewAndPaint(view, view.FrameLeft - 100, 0, 4);
    EXPECT_EQ(view.HPos, 0);
    EXPECT_DOUBLE_EQ(view.ViewLeft, view.FrameLeft);
    SetViewAndPaint(view, 0, 0, 1e12);
    EXPECT_DOUBLE_EQ(view.Zoom, view.MaxZoom);
    SetViewAndPaint(view, 0, 0, 1e-9);
    EXPECT_DOUBLE_EQ(view.Zoom, view.MinZoom);
}

TEST(MapViewStateTest, HistoryKeepsTheLastTwentyViews) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 500);
    for (int i = 1; i <= 21; ++i) {
        view.Zoom = i;
        view.PushHistory();
    }
    EXPECT_EQ(view.HistoryCount(), 20);
    for (int i = 21; i >= 2; --i)
        EXPECT_EQ(view.PopHistory()->Zoom, i);
    EXPECT_FALSE(view.PopHistory());
}

TEST(MapViewStateTest, ClippingRejectsAndCutsAtTheEdges) {
    TMapViewState view = Fitted(0, 100, 0, 100, 100, 100); // frame -5.5..104.5
    EXPECT_FALSE(view.ClipLine(-20, -50, view.ViewLeft, 500)) << "both on or left of the edge";
    EXPECT_FALSE(view.ClipLine(0, 200, 50, 200));
    const auto cut = view.ClipLine(-1000, 50, 50, 50);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->X1, view.WorldToPixelX(view.ViewLeft));
    EXPECT_EQ(cut->Y1, view.WorldToPixelY(50));
    const auto diagonal = view.ClipLine(-1e9, -1e9, 1e9, 1e9);
    ASSERT_TRUE(diagonal);
    EXPECT_EQ(diagonal->X1, 0);
    EXPECT_EQ(diagonal->Y2, 0);
    EXPECT_FALSE(view.CrossVisible(view.ViewLeft, 50));
    EXPECT_TRUE(view.CrossVisible(50, 50));
}

TEST(MapViewStateTest, ZoomDragFollowsTheClientShape) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 400);
    EXPECT_EQ(view.ZoomDragPoint({100, 100}, 300, 120), (TIntPoint{300, 260}));
    EXPECT_EQ(view.ZoomDragPoint({100, 100}, 300, 100), (TIntPoint{300, -60})) << "DY 0 goes up";
    EXPECT_EQ(view.ZoomDragPoint({100, 100}, 100, 300), (TIntPoint{-150, 300})) << "DX 0 goes left";
    const auto zoom = view.ZoomDragView({100, 100}, {300, 260});
    ASSERT_TRUE(zoom);
    EXPECT_DOUBLE_EQ(zoom->Left, view.PixelToWorldX(100));
    EXPECT_DOUBLE_EQ(zoom->Bottom, view.PixelToWorldY(260));
    EXPECT_DOUBLE_EQ(zoom->Zoom, 2.5);
    EXPECT_FALSE(view.ZoomDragView({100, 100}, {109, 120}));
    EXPECT_TRUE(view.ZoomDragView({100, 100}, {110, 120}));
}

TEST(MapViewStateTest, PanDragMovesTheDrawingWithTheMouse) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 400);
    const THistoryEntry pan = view.PanDragView({200, 200}, {250, 230});
    EXPECT_DOUBLE_EQ(pan.Left, view.ViewLeft - 50 * view.ViewWidth / 500);
    EXPECT_DOUBLE_EQ(pan.Bottom, view.ViewBottom + 30 * view.ViewHeight / 400);
    EXPECT_EQ(pan.Zoom, view.Zoom);
}

TEST(MapViewStateTest, RectangleOfNoHeightIsFittedByItsWidth) {
    TMapViewState view = Fitted(0, 1000, 0, 500, 500, 500);
    const auto flat = view.RectView(100, 200, 50, 50);
    ASSERT_TRUE(flat);
    EXPECT_DOUBLE_EQ(flat->Zoom, 11);
    EXPECT_FALSE(view.RectView(100, 100, 50, 50));
}

struct TScaleCase {
    double ViewWidth;
    double Value;
    const char* Label;
    int Pixels;
};

class ScaleBarTest : public ::testing::TestWithParam<TScaleCase> {};

TEST_P(ScaleBarTest, RoundValueLabelAndLength) {
    TMapViewState view;
    view.DrawRect = {0, 0, 500, 400};
    view.ViewWidth = GetParam().ViewWidth;
    const TScaleBarLayout bar = ScaleBarLayout(view, 96, 96, 20, 13);
    EXPECT_DOUBLE_EQ(bar.Value, GetParam().Value);
    EXPECT_EQ(bar.Label, GetParam().Label);
    EXPECT_EQ(bar.Length, GetParam().Pixels);
}

// Lengths of exactly half a pixel round to the even neighbour: 62.5 gives 62.
INSTANTIATE_TEST_SUITE_P(
    Values, ScaleBarTest,
    ::testing::Values(TScaleCase{1100, 100, "100", 45}, TScaleCase{1600, 200, "200", 62},
                      TScaleCase{400, 50, "50", 62}, TScaleCase{310, 20, "20", 32},
                      TScaleCase{320, 50, "50", 78}, TScaleCase{0.0011, 0.0001, "0.0001", 45}));

TEST(MapViewStateTest, ScaleBarPlacementAndConversion) {
    TMapViewState view;
    view.DrawRect = {0, 0, 500, 400};
    view.ViewWidth = 1100;
    const TScaleBarLayout bar = ScaleBarLayout(view, 96, 96, 20, 13);
    EXPECT_EQ(bar.LeftTick.X1, 10);
    EXPECT_EQ(bar.LeftTick.Y1, 393);
    EXPECT_EQ(bar.LeftTick.Y2, 385) << "the end pixel 385 is left out: 393 up to 386";
    EXPECT_EQ(bar.Bar.Y1, 390);
    EXPECT_EQ(bar.RightTick.X1, 10 + 45);
    EXPECT_EQ(bar.Bounds.Top, 400 - 10 - 13 - 2);
    EXPECT_EQ(bar.LabelAt.X, (10 + 55 - 20) / 2);

    view.DisplayConversion = 0.001; // metres shown as kilometres
    view.ViewWidth = 11000;
    const TScaleBarLayout km = ScaleBarLayout(view, 96, 96, 20, 13);
    EXPECT_EQ(km.Label, "1");
    EXPECT_EQ(km.Length, 45);
}

TEST(MapViewStateTest, AspectTriangle) {
    TMapViewState view;
    view.DrawRect = {0, 0, 500, 400};
    for (auto [aspect, width, label] :
         {std::tuple{1.0, 50, "1 "}, {2.0, 25, "2 "}, {3.0, 17, "3 "}, {2.5, 20, "2.5 "}}) {
        view.StoreYAspect(aspect);
        const TAspectLayout triangle = AspectLayout(view, 96, 96, 0, 10, 6, 13);
        EXPECT_EQ(triangle.Label, label);
        EXPECT_EQ(triangle.Horizontal.X2 - triangle.Horizontal.X1, width);
        EXPECT_EQ(triangle.Vertical.Y2 - triangle.Vertical.Y1, 50);
        EXPECT_EQ(triangle.Bounds.Bottom, 400 - 3);
    }
    view.StoreYAspect(1);
    EXPECT_EQ(AspectLayout(view, 96, 96, 300, 10, 6, 13).Bounds.Bottom, 297)
        << "above the scale bar";
}
