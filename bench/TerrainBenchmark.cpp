// The terrain computations on generated models: contours at about 50 levels, the triangles'
// shades, the profile of a line across the whole model, and cut and fill against the level
// halfway up.
#include "BenchModels.h"
#include "compare/Volumes.h"
#include "platform/Streams.h"
#include "terrain/Contours.h"
#include "terrain/Hillshade.h"
#include "terrain/Profile.h"
#include "vrk/VRKModel.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {
const TVandrelTINModel& Model(int triangles) {
    static std::map<int, std::unique_ptr<TVandrelTINModel>> models;
    auto& model = models[triangles];
    if (!model) {
        model = std::make_unique<TVandrelTINModel>();
        TFileStream stream(BenchModelFile(triangles));
        model->ReadFromStream(stream);
        model->Index(); // built once, as the viewer has it before any profile
    }
    return *model;
}

void BM_Contours50Levels(benchmark::State& state) {
    const TVandrelTINModel& model = Model(static_cast<int>(state.range(0)));
    double minE, minN, minV, maxE, maxN, maxV;
    model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    TContourSettings settings;
    settings.Interval = (maxV - minV) / 50;
    size_t lines = 0;
    for (auto _ : state)
        lines = TraceContours(model.Triangles(), settings).size();
    state.counters["lines"] = double(lines);
}

void BM_TriangleShades(benchmark::State& state) {
    const TVandrelTINModel& model = Model(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TriangleShades(model.Triangles(), 2).data());
}

void BM_ProfileAcrossTheModel(benchmark::State& state) {
    const TVandrelTINModel& model = Model(static_cast<int>(state.range(0)));
    double minE, minN, minV, maxE, maxN, maxV;
    model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    const std::vector<TPlanPoint> line{{minE - 1, minN + 0.3}, {maxE + 1, maxN - 0.7}};
    size_t points = 0;
    for (auto _ : state)
        points = ComputeProfile(model, line).size();
    state.counters["breakpoints"] = double(points);
}

void BM_VolumeToLevel(benchmark::State& state) {
    const TVandrelTINModel& model = Model(static_cast<int>(state.range(0)));
    double minE, minN, minV, maxE, maxN, maxV;
    model.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    double net = 0;
    for (auto _ : state)
        net = VolumesToLevel(model.Triangles(), (minV + maxV) / 2).Net();
    state.counters["net"] = net;
}

// Both files read, then the model against a surface of half as many triangles of another size
// and jitter, over the part they share.
void BM_VolumeBetweenSurfaces(benchmark::State& state) {
    const int triangles = static_cast<int>(state.range(0));
    const std::string modelFile = BenchModelFile(triangles);
    const std::string surfaceFile = BenchModelFile(triangles / 2, 2, 2.3);
    double net = 0, area = 0, extra = 0;
    for (auto _ : state) {
        TVandrelTINModel model, surface;
        TFileStream modelStream(modelFile), surfaceStream(surfaceFile);
        model.ReadFromStream(modelStream);
        surface.ReadFromStream(surfaceStream);
        // What the comparison adds to the two models read (the surface's look-up index, the
        // shares' marks), per triangle of both.
        const long before = ResidentBytes();
        const TVolumes volumes = CompareVolumes(model.Triangles(), {&surface, 0});
        extra = double(ResidentBytes() - before) /
                (model.Triangles().Count() + surface.Triangles().Count());
        net = volumes.Net();
        area = volumes.Area;
    }
    state.counters["net"] = net;
    state.counters["area"] = area;
    state.counters["extraBytesPerTriangle"] = extra;
}

// The overlay alone, both models read once: the computation the whole command waits on, with
// less of the machine's noise.
void BM_VolumeOverlayAlone(benchmark::State& state) {
    const int triangles = static_cast<int>(state.range(0));
    static TVandrelTINModel surface;
    if (surface.Triangles().Count() == 0) {
        TFileStream stream(BenchModelFile(triangles / 2, 2, 2.3));
        surface.ReadFromStream(stream);
        surface.Index();
    }
    const TVandrelTINModel& model = Model(triangles);
    double net = 0;
    for (auto _ : state)
        net = CompareVolumes(model.Triangles(), {&surface, 0}).Net();
    state.counters["net"] = net;
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000000)->Arg(2000000)->Arg(5000000)->Arg(20000000)->Unit(benchmark::kMillisecond);
}
} // namespace

BENCHMARK(BM_Contours50Levels)->Apply(Sizes);
BENCHMARK(BM_TriangleShades)->Apply(Sizes);
BENCHMARK(BM_VolumeToLevel)->Apply(Sizes);
BENCHMARK(BM_VolumeBetweenSurfaces)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeOverlayAlone)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfileAcrossTheModel)->Arg(2000000)->Arg(5000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
