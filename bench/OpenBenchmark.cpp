// The viewer's whole open sequence, from choosing a model to its first full-view picture and
// the first readout under the mouse, beside reading the file alone, at 1,000,000 to 20,000,000
// triangles. Each iteration reads the file alone first, then opens it in a new main window. The
// health check runs behind the picture and the look-ups while its window is hidden: its end is
// reported apart.
#include "BenchModels.h"
#include "Components/MapView.h"
#include "app/MainWindow.h"
#include "inspect/HealthCheckWindow.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {
using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// What `vrkinfo extents` does before it answers: the floor of every open.
double ReadAlone(const std::string& file) {
    auto model = std::make_unique<TVandrelTINModel>();
    const auto start = TClock::now();
    TFileStream stream(file);
    model->ReadFromStream(stream);
    return SecondsSince(start);
}

struct TOpenTimes {
    // Read, extents, the first full-view picture (drawn as the view zooms to the model), file
    // header window and health check.
    double Open = 0;
    double Shown = 0;   // the window's paints that the open left waiting
    double Readout = 0; // the first look-up under the mouse, waiting for the index if need be
    double Checked = 0; // then until the health check, run behind those, has its rows in
};

TOpenTimes OpenInViewer(const std::string& file) {
    TfrmTINMap window;
    window.resize(1000, 800);
    window.show();
    QApplication::processEvents();
    TOpenTimes times;
    auto start = TClock::now();
    window.OpenModel(QString::fromStdString(file));
    times.Open = SecondsSince(start);
    start = TClock::now();
    QApplication::processEvents();
    times.Shown = SecondsSince(start);
    start = TClock::now();
    const TMapView& view = *window.MapView();
    double value = 0;
    benchmark::DoNotOptimize(
        window.Model().FindTriangle(view.PixelToWorldX(500), view.PixelToWorldY(400), value));
    times.Readout = SecondsSince(start);
    start = TClock::now();
    window.HealthCheck()->FinishCheck();
    times.Checked = SecondsSince(start);
    return times;
}

void BM_OpenSequence(benchmark::State& state) {
    const std::string file = BenchModelFile(static_cast<int>(state.range(0)));
    double read = 0;
    TOpenTimes sum;
    for (auto _ : state) {
        read += ReadAlone(file);
        const TOpenTimes times = OpenInViewer(file);
        sum.Open += times.Open;
        sum.Shown += times.Shown;
        sum.Readout += times.Readout;
        sum.Checked += times.Checked;
        state.SetIterationTime(times.Open + times.Shown + times.Readout);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["read_alone_s"] = read / n;
    state.counters["open_s"] = sum.Open / n;
    state.counters["shown_s"] = sum.Shown / n;
    state.counters["readout_s"] = sum.Readout / n;
    state.counters["checked_s"] = sum.Checked / n;
    state.counters["x_reading"] = (sum.Open + sum.Shown + sum.Readout) / read;
}
} // namespace

BENCHMARK(BM_OpenSequence)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Arg(20000000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
