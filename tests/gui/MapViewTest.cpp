// The map view widget through its real scroll bars, resizes and mouse: what the computations'
// tests cannot reach.
#include "Components/MapView.h"
#include "GuiTestSupport.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
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
    // A 400 x 300 view of the square 0..1000 at the zoom given, about its centre.
    void ShowZoomed(double zoom) {
        Show(400, 300);
        view.SetExtents(0, 1000, 0, 1000);
        view.ZoomExtents();
        view.SetZoom(zoom);
    }
    // Shows the view with a client area of exactly width by height pixels.
    void ShowClient(int width, int height) {
        Show(width, height);
        const QSize extra = view.size() - view.viewport()->size();
        view.resize(QSize(width, height) + extra);
        QCoreApplication::processEvents();
        ASSERT_EQ(view.viewport()->size(), QSize(width, height));
    }
    // Extents 0..1000 by 0..800 in a 500 x 400 client: the frame is -55..1045 by -44..836.
    void ShowWorkedExample() {
        ShowClient(500, 400);
        view.SetExtents(0, 1000, 0, 800);
        view.ZoomExtents();
        view.ClearZoomHistory();
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
        QWidget* client = view.viewport();
        QTest::mousePress(client, Qt::LeftButton, keys, from);
        QTest::mouseMove(client, to);
        QTest::mouseRelease(client, Qt::LeftButton, keys, to);
    }
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
    ShowZoomed(4);
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
    ShowZoomed(4);
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
    ShowZoomed(2);
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
    ShowZoomed(2);
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

TEST_F(MapViewTest, ZoomDragOfTheWorkedExampleShowsItsRectangle) {
    ShowWorkedExample();
    const TMapViewState& s = view.State();
    ASSERT_DOUBLE_EQ(s.FrameLeft, -55);
    ASSERT_DOUBLE_EQ(s.FrameBottom, -44);
    // From (100, 100) to (300, 120): the rectangle's corner is (300, 260); its lower-left pixel
    // (100, 260) is model point (165, 264), and the zoom 500 / 200 = 2.5.
    Drag({100, 100}, {300, 120});
    EXPECT_DOUBLE_EQ(s.Zoom, 2.5);
    EXPECT_NEAR(s.ViewLeft, 165, 1e-9);
    EXPECT_NEAR(s.ViewBottom, 264, 1e-9);
    EXPECT_DOUBLE_EQ(s.ViewWidth, 440);
    ASSERT_TRUE(view.ZoomPrevious());
    EXPECT_DOUBLE_EQ(s.Zoom, 1);
    EXPECT_DOUBLE_EQ(s.ViewLeft, -55);
}

TEST_F(MapViewTest, PanDragOfFiftyAndThirtyPixelsMovesTheViewByThatMuchModel) {
    ShowWorkedExample();
    view.SetZoom(2); // centre (495, 396): the view 220..770 by 176..616
    const TMapViewState& s = view.State();
    EXPECT_NEAR(s.ViewLeft, 220, 1e-9);
    EXPECT_NEAR(s.ViewBottom, 176, 1e-9);
    view.SetMouseMode(TMapMouseMode::mmPan);
    const int history = s.HistoryCount();
    // 50 pixels of 1.1 model units to the right and 30 of 1.1 down: the drawing follows the
    // mouse, so the view moves 55 left and 33 up.
    Drag({200, 200}, {250, 230});
    EXPECT_NEAR(s.ViewLeft, 165, 1e-9);
    EXPECT_NEAR(s.ViewBottom, 209, 1e-9);
    EXPECT_EQ(s.HistoryCount(), history + 1);
}

TEST_F(MapViewTest, TheMiddleButtonPansLiveInEveryModeWithOneHistoryEntryADrag) {
    ShowWorkedExample();
    view.SetZoom(2);
    const TMapViewState& s = view.State();
    QWidget* client = view.viewport();
    for (TMapMouseMode mode :
         {TMapMouseMode::mmZoom, TMapMouseMode::mmPan, TMapMouseMode::mmNone}) {
        view.SetMouseMode(mode);
        view.CenterView(false, 495, 396, 2);
        const int history = s.HistoryCount();
        QTest::mousePress(client, Qt::MiddleButton, {}, {200, 200});
        QTest::mouseMove(client, {225, 215});
        EXPECT_NEAR(s.ViewLeft, 220 - 27.5, 1e-9) << "live, before the release";
        QTest::mouseMove(client, {250, 230});
        QTest::mouseRelease(client, Qt::MiddleButton, {}, {250, 230});
        EXPECT_NEAR(s.ViewLeft, 165, 1e-9) << int(mode);
        EXPECT_NEAR(s.ViewBottom, 209, 1e-9) << int(mode);
        EXPECT_EQ(s.HistoryCount(), history + 1) << int(mode);
        EXPECT_FALSE(view.Dragging());
    }
}

TEST_F(MapViewTest, OnlyViewCommandsPushHistory) {
    ShowWorkedExample();
    const TMapViewState& s = view.State();
    view.SetZoom(2);
    EXPECT_EQ(s.HistoryCount(), 1);
    view.ZoomExtents();
    EXPECT_EQ(s.HistoryCount(), 2);
    view.ZoomToRect(true, 0, 100, 0, 100);
    EXPECT_EQ(s.HistoryCount(), 3);
    view.ZoomToRect(false, 0, 200, 0, 200);
    EXPECT_EQ(s.HistoryCount(), 3);
    Drag({100, 100}, {300, 120});
    EXPECT_EQ(s.HistoryCount(), 4);
    view.SetMouseMode(TMapMouseMode::mmPan);
    Drag({100, 100}, {100, 100}); // a pan click still sets the view
    EXPECT_EQ(s.HistoryCount(), 5);

    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    view.resize(view.width() + 30, view.height() - 20);
    QCoreApplication::processEvents();
    view.SetYAspect(1.5);
    EXPECT_EQ(s.HistoryCount(), 5) << "scrolling, resizing and the exaggeration push nothing";
    // Zoom previous walks back and pushes nothing itself.
    ASSERT_TRUE(view.ZoomPrevious());
    EXPECT_NEAR(s.Zoom, 11, 1e-12) << "the drag's 2.5 times 880 / 200, before the pan click";
    EXPECT_EQ(s.HistoryCount(), 4);
    ASSERT_TRUE(view.ZoomPrevious());
    EXPECT_NEAR(s.Zoom, 4.4, 1e-12) << "880 / 200: the rectangle set without a push";
    ASSERT_TRUE(view.ZoomPrevious());
    EXPECT_DOUBLE_EQ(s.Zoom, 1) << "the extents, before the 0..100 rectangle";
    EXPECT_EQ(s.HistoryCount(), 2);
}

TEST_F(MapViewTest, MouseModesNeedMouseZoom) {
    ShowWorkedExample();
    view.SetMouseMode(TMapMouseMode::mmPan);
    EXPECT_EQ(view.MouseMode(), TMapMouseMode::mmPan);
    EXPECT_EQ(view.viewport()->cursor().hotSpot(), QPoint(2, 2));
    view.SetOptions(moShowScale);
    EXPECT_EQ(view.MouseMode(), TMapMouseMode::mmNone);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    view.SetMouseMode(TMapMouseMode::mmPan);
    EXPECT_EQ(view.MouseMode(), TMapMouseMode::mmNone) << "refused without mouse zoom";
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, {100, 100});
    EXPECT_FALSE(view.Dragging());
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, {100, 100});
}

TEST_F(MapViewTest, PanCursorShowsItsHotSpotOnEveryPlatform) {
    view.SetMouseMode(TMapMouseMode::mmPan);
    const QCursor cursor = view.viewport()->cursor();
    const QImage bitmap = cursor.bitmap().toImage().convertToFormat(QImage::Format_Mono);
    const QImage mask = cursor.mask().toImage().convertToFormat(QImage::Format_Mono);
    ASSERT_EQ(bitmap.size(), QSize(32, 32));
    EXPECT_EQ(cursor.hotSpot(), QPoint(2, 2));
    // A set bit without its mask bit inverts the screen on one platform and is undefined on the
    // others: none may be left.
    int undefined = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            undefined += bitmap.pixelIndex(x, y) == 1 && mask.pixelIndex(x, y) == 0;
    EXPECT_EQ(undefined, 0);
    EXPECT_EQ(mask.pixelIndex(2, 2), 1) << "the hot spot is drawn";
    EXPECT_EQ(bitmap.pixelIndex(2, 2), 1) << "in black";
    EXPECT_EQ(mask.pixelIndex(3, 3), 1) << "with a white rim";
    EXPECT_EQ(bitmap.pixelIndex(3, 3), 0);
}

TEST_F(MapViewTest, OwnerSeesTheViewOfTheDragAtReleaseAndTheZoomFollows) {
    ShowWorkedExample();
    std::vector<std::string> events;
    double zoomAtMouseUp = 0;
    view.OnMouseDown = [&](TMapView* v, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        events.push_back(v->Dragging() ? "down, dragging" : "down");
    };
    view.OnMouseUp = [&](TMapView* v, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        zoomAtMouseUp = v->State().Zoom;
        events.push_back(v->Dragging() ? "up, dragging" : "up");
    };
    view.OnViewChanged = [&](TMapView*) { events.push_back("view changed"); };
    Drag({100, 100}, {300, 120});
    EXPECT_EQ(events, (std::vector<std::string>{"down, dragging", "up, dragging", "view changed"}));
    EXPECT_DOUBLE_EQ(zoomAtMouseUp, 1);
    EXPECT_DOUBLE_EQ(view.State().Zoom, 2.5);
}

TEST_F(MapViewTest, DraggedRectangleIsShownOverThePictureAndErasedAtRelease) {
    ShowWorkedExample();
    view.SetColor(0xFFFFFF);
    view.SetOptions(moMouseZoom);
    view.Repaint();
    auto blackPixels = [&] {
        const QImage shown = view.viewport()->grab().toImage();
        int n = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                n += shown.pixelColor(x, y) == Qt::black;
        return n;
    };
    EXPECT_EQ(blackPixels(), 0);
    QWidget* client = view.viewport();
    QTest::mousePress(client, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(client, {300, 104}); // the rectangle (100, 100) to (300, 260)
    const int shown = blackPixels();
    // Dotted: every other pixel of the 200 by 160 outline.
    EXPECT_NEAR(shown, (200 + 160) * 2 / 2, 4);
    EXPECT_TRUE(ColourNear(view.Image(), 100, 100, Qt::white, 0)) << "the picture stays clean";
    QTest::mouseRelease(client, Qt::LeftButton, Qt::ShiftModifier, {300, 104}); // cancelled
    EXPECT_EQ(blackPixels(), 0);
    EXPECT_DOUBLE_EQ(view.State().Zoom, 1);
}

namespace {
void Wheel(QWidget* client, QPoint at, int angle, QPoint pixels = {}) {
    QWheelEvent event(at, client->mapToGlobal(at), pixels, QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(client, &event);
}
} // namespace

TEST_F(MapViewTest, TheWheelZoomsAboutThePointUnderTheCursorOnceAGesture) {
    ShowWorkedExample();
    const TMapViewState& s = view.State();
    const QPoint at(120, 300);
    const double e = view.PixelToWorldX(at.x()), n = view.PixelToWorldY(at.y());
    Wheel(view.viewport(), at, 120);
    EXPECT_NEAR(s.Zoom, std::sqrt(2.0), 1e-12) << "a notch: the square root of 2";
    EXPECT_NEAR(view.PixelToWorldX(at.x()), e, 1e-9) << "the point stays under the cursor";
    EXPECT_NEAR(view.PixelToWorldY(at.y()), n, 1e-9);
    Wheel(view.viewport(), at, 240);
    EXPECT_NEAR(s.Zoom, 2 * std::sqrt(2.0), 1e-12);
    EXPECT_EQ(s.HistoryCount(), 1) << "one gesture, one entry";
    ASSERT_TRUE(view.ZoomPrevious());
    EXPECT_DOUBLE_EQ(s.Zoom, 1);
    Wheel(view.viewport(), at, 0, QPoint(0, -240)); // a trackpad: pixels
    EXPECT_NEAR(s.Zoom, 0.5, 1e-12);
    view.SetZoom(s.MaxZoom);
    const double left = s.ViewLeft;
    Wheel(view.viewport(), at, 1200);
    EXPECT_DOUBLE_EQ(s.Zoom, s.MaxZoom) << "within the zoom limits";
    EXPECT_DOUBLE_EQ(s.ViewLeft, left);
}

TEST_F(MapViewTest, ASlowRenderIsNotRepeatedForEveryWheelStepAndTheExactImageFollows) {
    ShowWorkedExample();
    // A model that takes longer than a frame to draw: a black block about the point under the
    // cursor.
    const QPoint at(120, 300);
    const double e = view.PixelToWorldX(at.x()), n = view.PixelToWorldY(at.y());
    int renders = 0;
    view.OnPaint = [&](TMapView* sender) {
        ++renders;
        QThread::msleep(TMapView::FrameMilliseconds + 10);
        TCanvas& canvas = sender->DrawCanvas();
        canvas.BrushColor = 0;
        canvas.Pen.Color = 0;
        const int x = sender->WorldToPixelX(e), y = sender->WorldToPixelY(n);
        canvas.Rectangle(x - 5, y - 5, x + 5, y + 5);
    };
    view.Repaint();
    renders = 0;
    for (int step = 0; step < 4; ++step)
        Wheel(view.viewport(), at, 120);
    EXPECT_EQ(renders, 0) << "the screen waited for no render";
    EXPECT_NEAR(view.State().Zoom, 4, 1e-12) << "the view itself moved at once";
    EXPECT_TRUE(view.ShowsMovedImage());
    // The last image, scaled about the cursor: the block is where the new view puts it.
    const QImage moved = view.viewport()->grab().toImage();
    const QPoint block(view.WorldToPixelX(e), view.WorldToPixelY(n));
    ASSERT_LT(QLineF(block, at).length(), 2) << "the point stays under the cursor";
    EXPECT_LT(qGray(moved.pixel(block)), 64);
    EXPECT_LT(qGray(moved.pixel(block + QPoint(15, 0))), 64) << "four times larger";
    // When the turning stops, one exact render, and it is what stays.
    QTest::qWait(TMapView::MotionPauseMilliseconds + 200);
    EXPECT_EQ(renders, 1);
    EXPECT_FALSE(view.ShowsMovedImage());
    const QImage exact = view.Image().copy();
    view.Repaint();
    EXPECT_EQ(view.Image(), exact) << "the image of the view as it is";
    EXPECT_EQ(qGray(view.Image().pixel(block + QPoint(15, 0))), 255) << "drawn at its own size";
}

TEST_F(MapViewTest, AFastRenderFollowsEveryWheelStep) {
    ShowWorkedExample();
    int renders = 0;
    view.OnPaint = [&](TMapView*) { ++renders; };
    view.Repaint();
    renders = 0;
    for (int step = 0; step < 3; ++step)
        Wheel(view.viewport(), QPoint(100, 100), 120);
    EXPECT_EQ(renders, 3);
    EXPECT_FALSE(view.ShowsMovedImage());
}

TEST_F(MapViewTest, ArrowKeysPanATenthOfTheView) {
    ShowWorkedExample();
    view.SetZoom(4); // 275 by 220 model units
    const TMapViewState& s = view.State();
    const double left = s.ViewLeft, bottom = s.ViewBottom;
    const int history = s.HistoryCount();
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_NEAR(s.ViewLeft, left + 27.5, 1e-9);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_NEAR(s.ViewBottom, bottom + 22, 1e-9);
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_NEAR(s.ViewLeft, left, 1e-9);
    EXPECT_NEAR(s.ViewBottom, bottom, 1e-9);
    EXPECT_EQ(s.HistoryCount(), history);
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(s.VPos, 0) << "Home keeps its step";
}
