// The map view on a screen of two device pixels a pixel: the picture is made in device pixels,
// so model lines stay one device pixel wide and markers keep their size on the glass.
#include "Components/MapView.h"
#include "GuiTestSupport.h"

#include <QScreen>
#include <gtest/gtest.h>

namespace {
// Before the application exists: the scale is read when the screens are made.
const bool Scaled = qputenv("QT_SCALE_FACTOR", "2");

int CountInRow(const QImage& image, int y, QColor colour) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixelColor(x, y) == colour;
    return n;
}
} // namespace

TEST(HighDensityScreenTest, ImageHasTheDevicePixelsAndLinesStayThin) {
    ASSERT_TRUE(Scaled);
    TMapView view;
    view.SetColor(0xFFFFFF);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_DOUBLE_EQ(view.viewport()->devicePixelRatioF(), 2);
    view.SetExtents(0, 100, 0, 100);
    view.OnPaint = [](TMapView* v) {
        v->DrawCanvas().Pen.Color = 0x008000;
        v->DrawLine(50, -10, 50, 110); // a vertical line through the middle
        v->DrawCross(25, 50);
    };
    view.ZoomExtents();
    const QImage& image = view.Image();
    const QSize client = view.viewport()->size();
    EXPECT_EQ(image.size(), client * 2);
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), 2);
    const QColor green(0, 128, 0);
    const int row = view.WorldToPixelY(80) * 2;
    EXPECT_EQ(CountInRow(image, row, green), 1) << "one device pixel wide";
    // The cross scales with the pixels per inch: arms of 2 * (192 * 6 / 192) + 1 = 13 pixels.
    const int crossRow = view.WorldToPixelY(50) * 2;
    EXPECT_EQ(CountInRow(image, crossRow, green), 13 + 1) << "the arm and the line";
    // The mouse still speaks client pixels.
    EXPECT_NEAR(view.PixelToWorldX(view.WorldToPixelX(50)), 50, 100.0 / client.width());
    EXPECT_EQ(view.State().DrawRect, (TIntRect{0, 0, client.width(), client.height()}));
}
