// Frames of the 3D view while orbiting, 1000 x 800, drawn by OpenGL (run it on a display; with
// xvfb-run and LIBGL_ALWAYS_SOFTWARE=1 that is Mesa's software renderer).
#include "BenchModels.h"
#include "platform/Streams.h"
#include "view3d/TerrainRenderer3D.h"
#include "view3d/TerrainTiles.h"
#include "vrk/VRKModel.h"

#include <QGuiApplication>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
constexpr int Width = 1000, Height = 800;

void BM_OrbitFrame(benchmark::State& state) {
    TVandrelTINModel model;
    TFileStream stream(BenchModelFile(int(state.range(0))));
    model.ReadFromStream(stream);
    TOffscreenOpenGL gl;
    if (!gl.Problem().isEmpty())
        return state.SkipWithError(gl.Problem().toStdString().c_str());
    TTerrainTiles tiles(model);
    tiles.SampleGrids(model, nullptr);
    TTerrainRenderer3D renderer;
    if (!renderer.Initialize().isEmpty())
        return state.SkipWithError("no OpenGL 3.3");
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    QOpenGLFramebufferObject target(Width, Height, format);
    target.bind();
    renderer.Upload(tiles);
    auto& functions = *gl.Context().extraFunctions();
    functions.glViewport(0, 0, Width, Height);
    TOrbitCamera camera;
    camera.Frame(tiles.Low(), tiles.High());
    const double whole = camera.Distance();
    int frame = 0;
    int64_t most = 0;
    const TView3DLayers layers{true, false, 1};
    for (auto _ : state) {
        // Round the model, from the whole of it to close to the ground.
        camera.SetView({0, 0, 0}, frame * 7.0, 20 + frame % 40, whole / (1 + frame % 20));
        functions.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        most = std::max(most, renderer.Draw(tiles, camera, Width, Height, layers, nullptr));
        functions.glFinish();
        ++frame;
    }
    state.counters["most_triangles"] = double(most);
    target.release();
    renderer.Release();
}
} // namespace

BENCHMARK(BM_OrbitFrame)->Arg(1000000)->Arg(20000000)->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
