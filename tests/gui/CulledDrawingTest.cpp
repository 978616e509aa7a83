// The model drawing visits only what can be seen, yet must give the picture of drawing every
// side of every triangle through DrawLine.
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "TerrainGenerator.h"
#include "app/ModelDrawing.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {
// A terrain with overlapping, clockwise and degenerate triangles added after it, whose
// neighbours are random (so not always mutual), and two vertices that are not numbers.
TModelData AwkwardModel() {
    TModelData data = GenerateTerrain(60, 40, 10, 5);
    std::mt19937 random(3);
    const int vertices = static_cast<int>(data.Vertices.size());
    const int terrain = static_cast<int>(data.Triangles.size());
    std::uniform_int_distribution<int> vertex(1, vertices), triangle(-1, terrain + 300);
    for (int i = 0; i < 300; ++i) {
        TModelData::Triangle t{{vertex(random), vertex(random), vertex(random)},
                               {triangle(random), triangle(random), triangle(random)}};
        for (int32_t& n : t.Neighbours)
            if (n == 0)
                n = -1;
        if (i % 20 == 0)
            t.Vertices[2] = t.Vertices[0]; // degenerate
        data.Triangles.push_back(t);
    }
    // Corners that are not numbers: their sides have no pixels, the others are drawn.
    data.Vertices[5].Easting = std::nan("");
    data.Vertices[200].Northing = std::nan("");
    return data;
}

struct CulledDrawingTest : ::testing::Test {
    void SetUp() override {
        TMemoryStream stream(WriteModel(AwkwardModel()));
        model.ReadFromStream(stream);
        view.resize(400, 300);
        view.SetOptions(0);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        ZoomToMesh(view, model);
    }

    QImage Rendered(bool plain, bool triangles = true, bool edges = true) {
        view.OnPaint = [this, plain, triangles, edges](TMapView* sender) {
            if (!plain)
                return DrawModel(*sender, model, {false, triangles, edges, false}, nullptr);
            if (triangles) {
                sender->DrawCanvas().Pen.Color = TrianglesColor;
                DrawTriangles(*sender, model.Triangles(), false);
            }
            if (edges) {
                sender->DrawCanvas().Pen.Color = EdgesColor;
                DrawTriangles(*sender, model.Triangles(), true);
            }
        };
        view.Repaint();
        return view.Image();
    }

    TVandrelTINModel model;
    TMapView view;
};
} // namespace

TEST_F(CulledDrawingTest, SamePictureAsDrawingEverySideAtAnyView) {
    struct {
        double Zoom, X, Y;
    } views[] = {{1, 0, 0},     {0.3, 0, 0},  {3, 100, 100},  {8, 250, 180},
                 {40, 300, 50}, {40, -5, -5}, {200, 598, 398}};
    for (const auto& v : views) {
        view.CenterView(false, v.X, v.Y, v.Zoom);
        const QImage culled = Rendered(false);
        const QImage plain = Rendered(true);
        ASSERT_TRUE(ImageHasColour(plain, QColor(0, 128, 0)) || v.Zoom > 100) << v.Zoom;
        EXPECT_TRUE(culled == plain) << "zoom " << v.Zoom << " at " << v.X << ", " << v.Y;
        for (bool triangles : {false, true})
            EXPECT_TRUE(Rendered(false, triangles, !triangles) ==
                        Rendered(true, triangles, !triangles))
                << "one layer, zoom " << v.Zoom;
    }
}
