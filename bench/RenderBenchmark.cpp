// Rendering a model in a 1000 x 800 map view: the full view and a view at zoom 100, with the
// model's layers alone and with the elevation tint and the hillshade under them.
#include "BenchModels.h"
#include "Components/MapView.h"
#include "app/ModelDrawing.h"
#include "app/TerrainDrawing.h"
#include "model/SideTable.h"
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
            const bool fill = Terrain.Colours || Terrain.ShowsDifference();
            if (fill)
                DrawTerrain(*sender, Model, Terrain, Cache);
            TModelLayers layers; // as the program draws them over a fill
            layers.SpacedSidesPixels = fill ? SidesOverFillPixels : 0;
            DrawModel(*sender, Model, layers, nullptr);
            if (fill)
                DrawLegend(*sender, Model, Terrain, Cache);
        };
        double minE, minN, minV, maxE, maxN, maxV;
        Model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
        View.SetExtents(minE, maxE, minN, maxN);
        View.ZoomExtents();
    }
    // Compares the model with a surface of half as many triangles of another size and jitter.
    void Compare() {
        TFileStream stream(BenchModelFile(Model.Triangles().Count() / 2, 2, 2.3));
        Surface.ReadFromStream(stream);
        Terrain.CompareSurface = &Surface;
        Terrain.Difference = true;
    }
    TVandrelTINModel Model, Surface;
    TTerrainLayers Terrain;
    TTerrainCache Cache;
    TMapView View;
};

void BM_RenderFullView(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    for (auto _ : state)
        rendered.View.Repaint();
}

// What the first full view of a model pays beside a later one: its side table.
void BM_SideTable(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rendered.Model.InvalidateIndex();
        benchmark::DoNotOptimize(&rendered.Model.SideTable());
    }
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

// The difference from another surface; the overlay's range and zero line are computed at the
// first render, outside the timing.
void BM_RenderDifferenceFullView(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    rendered.Compare();
    rendered.View.Repaint();
    for (auto _ : state)
        rendered.View.Repaint();
}

void BM_RenderDifferenceZoom100(benchmark::State& state) {
    TRenderedModel rendered(static_cast<int>(state.range(0)));
    rendered.Compare();
    rendered.View.SetZoom(100);
    rendered.View.Repaint();
    for (auto _ : state)
        rendered.View.Repaint();
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Arg(5000000)->Arg(20000000)->Unit(benchmark::kMillisecond);
}
} // namespace

BENCHMARK(BM_RenderFullView)->Apply(Sizes);
BENCHMARK(BM_SideTable)->Apply(Sizes);
BENCHMARK(BM_RenderZoom100)->Apply(Sizes);
BENCHMARK(BM_RenderTerrainFullView)->Apply(Sizes);
BENCHMARK(BM_RenderTerrainZoom100)->Apply(Sizes);
BENCHMARK(BM_RenderDifferenceFullView)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDifferenceZoom100)->Arg(2000000)->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
