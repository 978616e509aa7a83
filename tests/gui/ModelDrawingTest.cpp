// The rendered map: each layer in its colour at the pixels the transforms give.
#include "app/ModelDrawing.h"
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
const QColor Green(0, 128, 0), Blue(0, 0, 255), Red(255, 0, 0), Black(0, 0, 0),
    Silver(192, 192, 192);

struct ModelDrawingTest : ::testing::Test {
    void SetUp() override {
        TMemoryStream stream(WriteModel(SquareModel()));
        model.ReadFromStream(stream);
        view.resize(300, 300);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SetOptions(moMouseZoom); // no scale bar over the model
        view.OnPaint = [this](TMapView* sender) { DrawModel(*sender, model, layers, selected); };
        view.SetExtents(0, 100, 0, 100);
        view.ZoomExtents();
    }
    QPoint Pixel(double e, double n) { return {view.WorldToPixelX(e), view.WorldToPixelY(n)}; }
    bool Shows(double e, double n, QColor colour) {
        const QPoint p = Pixel(e, n);
        return ColourNear(view.Image(), p.x(), p.y(), colour);
    }

    TVandrelTINModel model;
    TMapView view;
    TModelLayers layers;
    const TTriangle* selected = nullptr;
};
} // namespace

TEST_F(ModelDrawingTest, BoundaryBlueInteriorGreenStartPointBlack) {
    view.Repaint();
    EXPECT_TRUE(Shows(50, 0, Blue));
    EXPECT_TRUE(Shows(100, 50, Blue));
    EXPECT_FALSE(Shows(50, 0, Green)) << "the boundary is drawn blue over green";
    EXPECT_TRUE(Shows(50, 50, Green)) << "the shared diagonal";
    EXPECT_TRUE(Shows(25, 75, Black));
    EXPECT_FALSE(ImageHasColour(view.Image(), Red));
}

TEST_F(ModelDrawingTest, SelectedTriangleIsRedOnTopEvenWithEveryLayerOff) {
    selected = model.Triangles().Triangle(0);
    layers = {false, false, false, false};
    view.Repaint();
    EXPECT_TRUE(Shows(50, 0, Red));
    EXPECT_TRUE(Shows(50, 50, Red));
    EXPECT_FALSE(Shows(0, 50, Red)) << "not a side of the selected triangle";
    EXPECT_FALSE(ImageHasColour(view.Image(), Green));
    EXPECT_FALSE(ImageHasColour(view.Image(), Blue));
    EXPECT_FALSE(ImageHasColour(view.Image(), Black));
}

TEST_F(ModelDrawingTest, LayersSwitchedOffLeaveNoPixel) {
    layers.Edges = false;
    view.Repaint();
    EXPECT_FALSE(ImageHasColour(view.Image(), Blue));
    EXPECT_TRUE(Shows(50, 0, Green)) << "without the edges the boundary shows green";
    layers = {true, false, true, false};
    view.Repaint();
    EXPECT_FALSE(ImageHasColour(view.Image(), Green));
    EXPECT_FALSE(ImageHasColour(view.Image(), Black));
}

TEST_F(ModelDrawingTest, LimitsComeFromTheHeader) {
    layers = {true, false, false, false};
    model.Header.MinimumEasting = 10;
    model.Header.MaximumEasting = 90;
    model.Header.MinimumNorthing = 10;
    model.Header.MaximumNorthing = 90;
    view.Repaint();
    EXPECT_TRUE(Shows(50, 10, Silver));
    EXPECT_TRUE(Shows(90, 50, Silver));
}

TEST_F(ModelDrawingTest, SharedSideIsDrawnOnceAndBoundarySidesInBothPasses) {
    // In exclusive-or mode a side drawn twice cancels itself.
    const QColor background = QColor(255, 255, 255);
    view.SetColor(0xFFFFFF);
    bool edgesToo = false;
    view.OnPaint = [&](TMapView* sender) {
        sender->DrawCanvas().Pen.Mode = TPenMode::Xor;
        sender->DrawCanvas().Pen.Color = 0x00FF00;
        DrawTriangles(*sender, model.Triangles(), false);
        if (edgesToo)
            DrawTriangles(*sender, model.Triangles(), true);
    };
    view.Repaint();
    const QImage once = view.Image();
    EXPECT_NE(once.pixelColor(Pixel(50, 50)), background) << "the diagonal is drawn once";
    EXPECT_NE(once.pixelColor(Pixel(50, 0)), background);
    edgesToo = true;
    view.Repaint();
    EXPECT_NE(view.Image().pixelColor(Pixel(50, 50)), background);
    EXPECT_EQ(view.Image().pixelColor(Pixel(50, 0)), background)
        << "a boundary side in both passes";
}
