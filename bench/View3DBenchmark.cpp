// The 3D view's level of detail: building the tiles, sampling their grids, choosing a frame's
// tiles and picking under the cursor, at 1,000,000 and 20,000,000 triangles.
#include "BenchModels.h"
#include "platform/Streams.h"
#include "view3d/TerrainPick.h"
#include "view3d/TerrainTiles.h"
#include "vrk/VRKModel.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {
constexpr int Width = 1000, Height = 800;

struct TOpenModel {
    explicit TOpenModel(int triangles) {
        TFileStream stream(BenchModelFile(triangles));
        Model.ReadFromStream(stream);
        Model.Index();
    }
    TVandrelTINModel Model;
};

// What the window waits for before its whole first frame: the tiles and every level's grid.
void BM_TilesFirstFrame(benchmark::State& state) {
    TOpenModel open(int(state.range(0)));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TTerrainTiles tiles(open.Model);
        const auto built = std::chrono::steady_clock::now();
        tiles.SampleGrids(open.Model, nullptr);
        state.counters["tiles_s"] = std::chrono::duration<double>(built - start).count();
        state.counters["grids_s"] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - built).count();
        state.counters["extra_bytes_per_triangle"] =
            double(tiles.MemoryBytes()) / open.Model.Triangles().Count();
        tiles.ReleaseMeshArrays();
        state.counters["kept_bytes_per_triangle"] =
            double(tiles.MemoryBytes()) / open.Model.Triangles().Count();
    }
}

// Frames of an orbit around the model, from the whole view to close to the ground.
void BM_SelectFrame(benchmark::State& state) {
    TOpenModel open(int(state.range(0)));
    TTerrainTiles tiles(open.Model);
    tiles.SampleGrids(open.Model, nullptr);
    TOrbitCamera camera;
    camera.Frame(tiles.Low(), tiles.High());
    const double whole = camera.Distance();
    int64_t most = 0;
    int frame = 0;
    for (auto _ : state) {
        const double closeness = 1.0 / (1 + frame % 50);
        camera.SetView({0, 0, 0}, frame * 7.0, 20 + frame % 40, whole * closeness);
        const TTileSelection selection = tiles.Select(camera, Height, 1);
        most = std::max(most, selection.Triangles);
        ++frame;
    }
    state.counters["most_triangles_in_a_frame"] = double(most);
}

void BM_Pick(benchmark::State& state) {
    TOpenModel open(int(state.range(0)));
    TTerrainTiles tiles(open.Model);
    TOrbitCamera camera;
    camera.Frame(tiles.Low(), tiles.High());
    int i = 0;
    for (auto _ : state) {
        const TRay ray = camera.RayThrough(300 + i % 400, 300 + (i * 7) % 200, Width, Height);
        benchmark::DoNotOptimize(PickSurface(open.Model, tiles, ray, 1));
        ++i;
    }
}
} // namespace

BENCHMARK(BM_TilesFirstFrame)
    ->Arg(1000000)
    ->Arg(20000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_SelectFrame)->Arg(1000000)->Arg(20000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pick)->Arg(1000000)->Arg(20000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
