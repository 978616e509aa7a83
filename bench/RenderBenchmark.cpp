// Rendering a model in a 1000 x 800 map view: the full view and a view at zoom 100, with the
// model's layers alone and with the elevation tint and the hillshade under them.
#include "BenchModels.h"
#include "Components/MapView.h"
#include "app/ModelDrawing.h"
#include "app/TerrainDrawing.h"
#include "platform/Streams.h"
#include "terrain/TerrainCache.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
struct TRenderedModel {
    explicit TRenderedModel(int triangles, bool terrain = false) {
        TFileStream stream(BenchModelFile(triangles));
        Model.ReadFromStream(stream);
        View.resize(1000, 800);
        View.show();
        Terrain.Colours = Terrain.Hillshade = terrain;
        View.OnPaint = [this](TMapView* sender) {
            if (Terrain.Colours)
                DrawTerrain(*sender, Model, Terrain, Cache);
            TModelLayers layers; // as the program draws them over a fill
            layers.SpacedSidesPixels = Terrain.Colours ? SidesOverFillPixels : 0;
            DrawModel(*sender, Model, layers, nullptr);
            if (Terrain.Colours)
                DrawLegend(*sender, Model, Terrain, Cache);
        };
        double minE, minN, minV, maxE, maxN, maxV;
        Model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
        View.SetExtents(minE, maxE, minN, maxN);
        View.ZoomExtents();
    }
    TVandrelTINModel Model;
    TTerrainLayers Terrain;
    TTerrainCache Cache;
    TMapView View;
};

void BM_RenderFullView(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    for (auto _ : state)
        rendered.View.Repaint();
}

void BM_RenderZoom100(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    rendered.View.SetZoom(100);
    for (auto _ : state)
        rendered.View.Repaint();
}

// The tint and the shades are computed at the first render, outside the timing.
void BM_RenderTerrainFullView(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)), true);
    for (auto _ : state)
        rendered.View.Repaint();
}

void BM_RenderTerrainZoom100(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)), true);
    rendered.View.SetZoom(100);
    for (auto _ : state)
        rendered.View.Repaint();
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Arg(5000000)->Arg(20000000)->Unit(benchmark::kMillisecond);
}
} // namespace

BENCHMARK(BM_RenderFullView)->Apply(Sizes);
BENCHMARK(BM_RenderZoom100)->Apply(Sizes);
BENCHMARK(BM_RenderTerrainFullView)->Apply(Sizes);
BENCHMARK(BM_RenderTerrainZoom100)->Apply(Sizes);

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
