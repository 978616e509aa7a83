// The screen canvas's lines: end pixel left out, exclusive-or that restores, and the view's
// cross marker and scroll bars.
#include "Components/MapView.h"
#include "GuiTestSupport.h"

#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {
QImage White(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}
} // namespace

TEST(CanvasTest, LinesLeaveOutTheirEndPixel) {
    QImage image = White(20, 20);
    TImageCanvas canvas(image);
    canvas.Pen.Color = 0x000000;
    canvas.MoveTo(2, 5);
    canvas.LineTo(9, 5);
    EXPECT_EQ(CountColour(image, Qt::black), 7);
    EXPECT_EQ(image.pixelColor(8, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(9, 5), QColor(Qt::white));
    canvas.MoveTo(15, 15);
    canvas.LineTo(15, 15);
    EXPECT_EQ(CountColour(image, Qt::black), 7) << "a line to its own start draws nothing";
    canvas.MoveTo(10, 10);
    canvas.LineTo(-50, -30); // runs off the image without harm
    EXPECT_GT(CountColour(image, Qt::black), 7);
}

TEST(CanvasTest, ThePrintersCanvasLeavesOutTheEndPixelToo) {
    // The canvas that draws on paper, here on an image of its own.
    QImage image = White(40, 40);
    {
        QPainter painter(&image);
        TPainterCanvas canvas(painter);
        canvas.Pen.Color = 0x000000;
        canvas.MoveTo(2, 5);
        canvas.LineTo(9, 5); // 7 pixels, as on the screen
        canvas.MoveTo(30, 2);
        canvas.LineTo(30, 10); // 8 pixels
        canvas.MoveTo(20, 20);
        canvas.LineTo(20, 20); // nothing
        canvas.MoveTo(10, 30);
        canvas.LineTo(11, 30); // one pixel
        canvas.MoveTo(2, 12);
        canvas.LineTo(8, 18); // a diagonal of 6
    }
    EXPECT_EQ(CountColour(image, Qt::black), 7 + 8 + 1 + 6);
    EXPECT_EQ(image.pixelColor(8, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(9, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(30, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(7, 17), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(8, 18), QColor(Qt::white));
}

TEST(CanvasTest, ExclusiveOrRectangleKeepsItsCornersAndIsUndoneByDrawingItAgain) {
    QImage image = White(30, 30);
    TImageCanvas canvas(image);
    canvas.Pen = {0xFFFFFF, 1, TPenStyle::Solid, TPenMode::Xor};
    auto rectangle = [&] {
        canvas.MoveTo(5, 5);
        canvas.LineTo(5, 20);
        canvas.LineTo(20, 20);
        canvas.LineTo(20, 5);
        canvas.LineTo(5, 5);
    };
    rectangle();
    EXPECT_EQ(CountColour(image, Qt::black), 60) << "each corner drawn once: 4 sides of 15";
    for (QPoint corner : {QPoint(5, 5), QPoint(5, 20), QPoint(20, 20), QPoint(20, 5)})
        EXPECT_EQ(image.pixelColor(corner), QColor(Qt::black));
    rectangle();
    EXPECT_EQ(CountColour(image, Qt::white), 900);
}

TEST(CanvasTest, CrossArmsAreSevenPixelsAtNinetySixDotsPerInch) {
    TMapView view;
    view.resize(200, 200);
    view.SetOptions(0);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetExtents(0, 100, 0, 100);
    view.ZoomExtents();
    bool onEdge = true;
    view.OnPaint = [&](TMapView* sender) {
        sender->DrawCanvas().Pen.Color = 0x0000FF;
        EXPECT_TRUE(sender->DrawCross(50, 50));
        onEdge = sender->DrawCross(sender->State().ViewLeft, 50);
    };
    view.Repaint();
    EXPECT_FALSE(onEdge);
    const int dpi = view.Image().logicalDpiX();
    const int arm = 2 * (dpi * 6 / 192) + 1;
    EXPECT_EQ(CountColour(view.Image(), QColor(255, 0, 0)), 2 * arm - 1);
    if (dpi == 96) {
        EXPECT_EQ(arm, 7);
    }
}

TEST(CanvasTest, ScrollBarStepsMoveTheViewByTheViewsOwnPageAndLine) {
    TMapView view;
    view.resize(300, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetExtents(0, 100, 0, 100);
    view.ZoomExtents();
    view.SetZoom(2);
    const int history = view.State().HistoryCount();
    int changes = 0;
    view.OnViewChanged = [&](TMapView*) { ++changes; };
    const int start = view.State().HPos;
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.State().HPos, start + 350000);
    EXPECT_EQ(view.horizontalScrollBar()->value(), start + 350000);
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view.State().HPos, start + 350000 - 35000);
    EXPECT_EQ(changes, 2);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_DOUBLE_EQ(view.State().ViewTop, view.State().FrameBottom + view.State().FrameHeight);
    EXPECT_EQ(view.State().HistoryCount(), history) << "scrolling pushes no history";
}
