#include "Components/PrintLayout.h"

#include <gtest/gtest.h>

namespace {
// A page of 8 by 10 inches at 600 pixels per inch, whose printable area starts a quarter inch
// from the paper's corner.
TPrinterPage Page() {
    TPrinterPage page;
    page.DpiX = page.DpiY = 600;
    page.PhysicalWidth = 4800;
    page.PhysicalHeight = 6000;
    page.Offset = {150, 150};
    page.Width = 4500;
    page.Height = 5700;
    return page;
}
} // namespace

TEST(PrintLayoutTest, MarginsAreMeasuredFromThePaperEdge) {
    EXPECT_EQ(MMToPrinterPixels(25, 600), 600);
    EXPECT_EQ(MMToPrinterPixels(10, 96), 38);
    const TIntRect r = PrintableRect(Page(), {25, 25, 25, 25});
    EXPECT_EQ(r, (TIntRect{450, 450, 4800 - 600 - 150, 6000 - 600 - 150}));
    TPrinterPage noBorder = Page();
    noBorder.Offset = {0, 0};
    EXPECT_EQ(PrintableRect(noBorder, {25, 25, 25, 25}).Left, 600)
        << "the same distance from the paper";
    const TIntRect narrow = PrintableRect(Page(), {5, 5, 5, 5});
    EXPECT_EQ(narrow.Left, 0) << "clamped to the printable area";
    EXPECT_EQ(narrow.Right, 4500);
}

TEST(PrintLayoutTest, FrameKeepsABandForCaptionsAndTheViewsShape) {
    const TIntRect area = PrintableRect(Page(), {25, 25, 25, 25}); // 3600 by 4800
    const TIntRect wide = PrintFrame(Page(), {25, 25, 25, 25}, false, 0, 400, 200);
    EXPECT_EQ(wide.Left, area.Left);
    EXPECT_EQ(wide.Right, area.Right);
    EXPECT_EQ(wide.Bottom - wide.Top, 1800);
    EXPECT_EQ(wide.Top - area.Top, area.Bottom - wide.Bottom) << "centred vertically";

    const TIntRect tall = PrintFrame(Page(), {25, 25, 25, 25}, true, 100, 100, 400);
    EXPECT_EQ(tall.Top, area.Top);
    EXPECT_EQ(tall.Bottom, area.Bottom - 125) << "a band of five quarters of the text height";
    EXPECT_EQ(tall.Right - tall.Left, (4800 - 125) * 100 / 400);
}
