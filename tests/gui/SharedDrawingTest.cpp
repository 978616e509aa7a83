// The picture drawn on many cores is the picture drawn on one, pixel for pixel, for every layer
// (the terrain layers too) and at every view, on a model whose triangles overlap.
#include "Components/MapView.h"
#include "Components/ParallelDrawing.h"
#include "GuiTestSupport.h"
#include "TerrainGenerator.h"
#include "app/ModelDrawing.h"
#include "app/TerrainDrawing.h"
#include "platform/Streams.h"
#include "terrain/TerrainCache.h"
#include "vrk/VRKModel.h"

#include <QTest>
#include <gtest/gtest.h>
#include <random>

namespace {
TModelData OverlappingTerrain() {
    TModelData data = GenerateTerrain(50, 40, 10, 7);
    std::mt19937 random(9);
    std::uniform_int_distribution<int> vertex(1, int(data.Vertices.size()));
    for (int i = 0; i < 200; ++i) // large triangles across the others, in random order
        data.Triangles.push_back({{vertex(random), vertex(random), vertex(random)}, {-1, -1, -1}});
    return data;
}

struct SharedDrawingTest : ::testing::Test {
    void SetUp() override {
        TMemoryStream stream(WriteModel(OverlappingTerrain()));
        model.ReadFromStream(stream);
        view.resize(420, 310);
        view.SetOptions(moMouseZoom | moShowScale | moShowAspect);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        ZoomToMesh(view, model);
        terrain.Contour.Interval = 2;
    }
    void TearDown() override {
        view.OnPaint = nullptr;
        SetDrawingShares(DefaultShareCount);
    }

    QImage Rendered(int shares, const TModelLayers& layers, bool colours, bool shade,
                    bool contours) {
        SetDrawingShares(shares, 1);
        terrain.Colours = colours;
        terrain.Hillshade = shade;
        terrain.Contours = contours;
        view.OnPaint = [this, layers](TMapView* sender) {
            DrawTerrain(*sender, model, terrain, cache);
            DrawModel(*sender, model, layers, model.Triangles().Triangle(5));
            if (terrain.Colours)
                DrawLegend(*sender, model, terrain, cache);
        };
        view.Repaint();
        return view.Image();
    }

    static inline const int DefaultShareCount = DrawingShares();
    TVandrelTINModel model;
    TTerrainLayers terrain;
    TTerrainCache cache;
    TMapView view;
};
} // namespace

TEST_F(SharedDrawingTest, ManyCoresDrawWhatOneDraws) {
    const struct {
        double Zoom, X, Y;
    } views[] = {{1, 250, 200}, {0.4, 250, 200}, {3, 120, 90}, {12, 400, 300}, {60, 33, 250}};
    for (const auto& v : views) {
        view.CenterView(false, v.X, v.Y, v.Zoom);
        for (int combination = 0; combination < 32; ++combination) {
            const TModelLayers layers{bool(combination & 1), bool(combination & 2),
                                      bool(combination & 2) == bool(combination & 4), true};
            const bool colours = combination & 8, shade = combination & 16,
                       contours = (combination % 3) == 0;
            const QImage one = Rendered(1, layers, colours, shade, contours);
            for (int shares : {2, 3, 7}) {
                ASSERT_TRUE(Rendered(shares, layers, colours, shade, contours) == one)
                    << "zoom " << v.Zoom << ", layers " << combination << ", " << shares
                    << " shares";
            }
        }
    }
}
