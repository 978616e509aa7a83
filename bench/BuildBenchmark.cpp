// Building surfaces from survey points: the exact Delaunay triangulation of random points at
// survey coordinates, reading them from a LAS file, at 100,000 and 1,000,000 points, and the
// whole way from a LAS file to a model file at 1,000,000 and 20,000,000 points, with the
// process's peak memory a point (an upper bound: the peak of everything run before).
#include "build/SurfaceBuild.h"
#include "build/SurveyPoints.h"
#include "build/Triangulation.h"
#include "export/ModelWriters.h"
#include "export/SavedFile.h"

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstring>
#include <random>

namespace {
std::vector<TSurfacePoint> RandomPoints(int count) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> e(0, 2000), n(0, 1500), z(100, 140);
    std::vector<TSurfacePoint> points;
    points.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        points.push_back({485000 + e(random), 3650000 + n(random), z(random)});
    return points;
}

// A LAS 1.2 file of the points, format 1, in millimetres.
std::string LasFile(const std::vector<TSurfacePoint>& points) {
    const std::string path =
        QDir::temp().filePath(QString("vrk-build-bench-%1.las").arg(points.size())).toStdString();
    if (QFile::exists(QString::fromStdString(path)))
        return path;
    const int header = 227, record = 28;
    QByteArray bytes(header + qsizetype(points.size()) * record, '\0');
    auto put = [&](qsizetype at, auto value) {
        std::memcpy(bytes.data() + at, &value, sizeof value);
    };
    std::memcpy(bytes.data(), "LASF", 4);
    bytes[24] = 1;
    bytes[25] = 2;
    put(94, uint16_t(header));
    put(96, uint32_t(header));
    bytes[104] = 1;
    put(105, uint16_t(record));
    put(107, uint32_t(points.size()));
    for (int axis = 0; axis < 3; ++axis) {
        put(131 + 8 * axis, 0.001);
        put(155 + 8 * axis, axis == 0 ? 485000.0 : axis == 1 ? 3650000.0 : 0.0);
    }
    for (size_t i = 0; i < points.size(); ++i) {
        const qsizetype at = header + qsizetype(i) * record;
        put(at, int32_t((points[i].Easting - 485000) * 1000));
        put(at + 4, int32_t((points[i].Northing - 3650000) * 1000));
        put(at + 8, int32_t(points[i].Value * 1000));
        bytes[at + 15] = 2;
    }
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

void BM_Triangulate(benchmark::State& state) {
    const std::vector<TSurfacePoint> points = RandomPoints(int(state.range(0)));
    for (auto _ : state) {
        TTriangulationReport report;
        benchmark::DoNotOptimize(TriangulatePoints(points, {}, report));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Triangulate)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ReadLas(benchmark::State& state) {
    const std::string path = LasFile(RandomPoints(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadLasPoints(path, {2}));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadLas)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
void BM_LasToModelFile(benchmark::State& state) {
    const std::string path = LasFile(RandomPoints(int(state.range(0))));
    const QString output = QDir::temp().filePath("vrk-build-bench.vrk");
    for (auto _ : state) {
        TSurveyFiles files;
        files.Points = {QString::fromStdString(path)};
        TTriangulationReport report; // written as vrkinfo build writes it: no copy between
        BuildSurfaceInto(files, {}, report, [&](const TSurfaceView& surface) {
            SaveFile(output, [&](QIODevice& out) { WriteVrkSurface(surface, "Bench", 1, out); });
        });
    }
    QFile::remove(output);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_bytes_per_point"] =
        double(usage.ru_maxrss) * 1024 / double(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LasToModelFile)->Arg(1000000)->Arg(20000000)->Unit(benchmark::kSecond)->Iterations(1);
} // namespace

BENCHMARK_MAIN();
