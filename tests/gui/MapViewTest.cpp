// The map view widget through its real scroll bars, resizes and mouse: what the computations'
// tests cannot reach.
#include "Components/MapView.h"
#include "GuiTestSupport.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct MapViewTest : ::testing::Test {
    void Show(int width, int height) {
        view.resize(width, height);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
    }
    // Pixels per model unit across and up; the same unless YAspect says otherwise.
    double ScaleX() const { return view.State().ClientWidth / view.State().ViewWidth; }
    double ScaleY() const { return view.State().ClientHeight / view.State().ViewHeight; }
    TMapView view;
};
} // namespace

TEST_F(MapViewTest, FirstShowFitsTheFrameToTheClientAreaInsideTheScrollBars) {
    Show(400, 300);
    EXPECT_EQ(view.State().ClientWidth, view.viewport()->width());
    EXPECT_EQ(view.State().ClientHeight, view.viewport()->height());
    EXPECT_DOUBLE_EQ(ScaleX(), ScaleY()) << "the empty start-up view has one scale";
    view.resize(500, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.State().ClientWidth, view.viewport()->width());
    EXPECT_DOUBLE_EQ(ScaleX(), ScaleY());
}

TEST_F(MapViewTest, ScrollHereFromTheBarsMenuMovesThePictureAndTheNextStepStartsThere) {
    Show(400, 300);
    view.SetExtents(0, 1000, 0, 1000);
    view.ZoomExtents();
    view.SetZoom(4);
    int changes = 0;
    view.OnViewChanged = [&](TMapView*) { ++changes; };
    QScrollBar* bar = view.horizontalScrollBar();
    const double leftBefore = view.State().ViewLeft;
    // "Scroll here" is the first item of the bar's own context menu; a click near the bar's
    // right end asks for a position near its maximum.
    QTimer::singleShot(0, [] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint nearRightEnd(bar->width() - 20, bar->height() / 2);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, nearRightEnd,
                                bar->mapToGlobal(nearRightEnd));
    QCoreApplication::sendEvent(bar, &menuEvent);
    const int thumb = bar->value();
    EXPECT_GT(thumb, 800000) << "the thumb went to the place clicked";
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(view.State().HPos, thumb) << "and the view with it";
    view.Repaint();
    EXPECT_GT(view.State().ViewLeft, leftBefore);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), std::min(1000000, thumb + 17500)) << "a line on from there";
}

TEST_F(MapViewTest, ThumbReleasedMovesTheViewOnceAndTrackingDoesNot) {
    Show(400, 300);
    view.SetExtents(0, 1000, 0, 1000);
    view.ZoomExtents();
    view.SetZoom(4);
    const int history = view.State().HistoryCount();
    int changes = 0;
    view.OnViewChanged = [&](TMapView*) { ++changes; };
    QScrollBar* bar = view.verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(100000); // dragging: the picture does not follow
    EXPECT_EQ(changes, 0);
    bar->setSliderDown(false); // released
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(view.State().VPos, 100000);
    EXPECT_EQ(view.State().HistoryCount(), history);
}

TEST_F(MapViewTest, DeepZoomKeepsItsCentreAndAStepMovesLessThanAView) {
    Show(400, 300);
    view.SetExtents(0, 100000, 0, 100000); // MaxZoom about 1.1e8
    view.ZoomExtents();
    view.SetZoom(1e7);
    const TMapViewState& s = view.State();
    const double width = s.ViewWidth;
    const double left = s.ViewLeft;
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    view.Repaint();
    EXPECT_GT(s.ViewLeft, left);
    EXPECT_LT(s.ViewLeft - left, width) << "one arrow click moves less than a view";
    const double cx = s.ViewLeft + s.ViewWidth / 2, cy = s.ViewBottom + s.ViewHeight / 2;
    for (int i = 0; i < 20; ++i)
        view.SetZoom(s.Zoom * 2);
    EXPECT_NEAR(s.ViewLeft + s.ViewWidth / 2, cx, s.ViewWidth * 0.01);
    EXPECT_NEAR(s.ViewBottom + s.ViewHeight / 2, cy, s.ViewHeight * 0.01);
    EXPECT_EQ(view.horizontalScrollBar()->value(), RoundToInt(s.HPos))
        << "the bar shows it rounded";
}

TEST_F(MapViewTest, ResizeKeepsCentreAndZoomAndPushesNothing) {
    Show(400, 300);
    view.SetExtents(0, 1000, 0, 1000);
    view.ZoomExtents();
    view.SetZoom(2);
    const TMapViewState& s = view.State();
    const double cx = s.ViewLeft + s.ViewWidth / 2, cy = s.ViewBottom + s.ViewHeight / 2;
    const int history = s.HistoryCount();
    int changes = 0;
    view.OnViewChanged = [&](TMapView*) { ++changes; };
    view.resize(600, 250);
    QCoreApplication::processEvents();
    EXPECT_GE(changes, 1);
    EXPECT_DOUBLE_EQ(s.Zoom, 2);
    EXPECT_NEAR(s.ViewLeft + s.ViewWidth / 2, cx, 1e-9 * s.FrameWidth);
    EXPECT_NEAR(s.ViewBottom + s.ViewHeight / 2, cy, 1e-9 * s.FrameHeight);
    EXPECT_DOUBLE_EQ(ScaleX(), ScaleY());
    EXPECT_EQ(s.HistoryCount(), history);
}

TEST_F(MapViewTest, YAspectStretchesNorthingsAndKeepsTheCorner) {
    Show(400, 300);
    view.SetExtents(0, 1000, 0, 1000);
    view.ZoomExtents();
    view.SetZoom(2);
    const TMapViewState& s = view.State();
    const double left = s.ViewLeft, bottom = s.ViewBottom;
    const int history = s.HistoryCount();
    view.SetYAspect(2);
    EXPECT_NEAR(ScaleY(), 2 * ScaleX(), 1e-9 * ScaleX());
    EXPECT_NEAR(s.ViewLeft, left, 1e-6);
    EXPECT_NEAR(s.ViewBottom, bottom, 1e-6);
    EXPECT_DOUBLE_EQ(s.Zoom, 2);
    EXPECT_EQ(s.HistoryCount(), history);
    view.SetYAspect(0);
    EXPECT_DOUBLE_EQ(s.YAspect(), 1) << "0 means 1";
}
