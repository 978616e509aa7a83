// Opening models and finding the triangle under the cursor, at 100,000 to 5,000,000 triangles.
#include "BenchModels.h"
#include "inspect/HealthCheck.h"
#include "model/Geometry.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/mman.h>
#include <vector>

namespace {
// Reading the file's bytes: the floor for opening a model. The buffer is touched before the
// timing starts: touching memory is the other floor, measured on its own below.
void BM_ReadFileBytes(benchmark::State& state) {
    const std::string file = BenchModelFile(static_cast<int>(state.range(0)));
    std::vector<char> bytes(static_cast<size_t>(std::filesystem::file_size(file)), 1);
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

// Allocating and freeing the model's objects one by one, as the reader does.
void BM_AllocateObjects(benchmark::State& state) {
    const int triangles = static_cast<int>(state.range(0));
    TVRKVertices vertices;
    TVRKTriangles list;
    for (auto _ : state) {
        vertices.SetCapacity(triangles / 2);
        list.SetCapacity(triangles);
        for (int i = 0; i < triangles / 2; ++i)
            vertices.Add(vertices.CreateVertex(i, i, i));
        for (int i = 0; i < triangles; ++i)
            list.Add(list.CreateTriangle(nullptr, nullptr, nullptr));
        list.FreeAll();
        vertices.FreeAll();
    }
}

// Writing every byte of the memory that a model's vertices and triangles take (objects and list
// slots), in mappings of the size the pools use: with reading the bytes, the floor for opening.
void BM_TouchModelMemory(benchmark::State& state) {
    const std::string file = BenchModelFile(static_cast<int>(state.range(0)));
    TFileStream stream(file);
    TVRKHeader header{};
    stream.ReadBuffer(&header, sizeof header);
    const auto rounded = [](size_t size) { return (size + 7) / 8 * 8; };
    const size_t bytes =
        size_t(header.NumberOfVertices) * (rounded(sizeof(TVRKVertex)) + sizeof(void*)) +
        size_t(header.NumberOfTriangles) * (rounded(sizeof(TVRKTriangle)) + sizeof(void*));
    constexpr size_t Chunk = 8u << 20;
    for (auto _ : state) {
        // Huge-page aligned, as the pools map their chunks.
        constexpr size_t Huge = 2u << 20;
        std::vector<void*> chunks;
        for (size_t done = 0; done < bytes; done += Chunk) {
            void* mapped = ::mmap(nullptr, Chunk + Huge, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            chunks.push_back(mapped);
            auto* aligned = reinterpret_cast<char*>(
                (reinterpret_cast<uintptr_t>(mapped) + Huge - 1) / Huge * Huge);
            ::madvise(aligned, Chunk, MADV_HUGEPAGE);
            std::memset(aligned, 1, std::min(Chunk, bytes - done));
        }
        for (void* chunk : chunks)
            ::munmap(chunk, Chunk + Huge);
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_OpenModel(benchmark::State& state) {
    const std::string file = BenchModelFile(static_cast<int>(state.range(0)));
    TVandrelTINModel model;
    for (auto _ : state) {
        TFileStream stream(file);
        model.ReadFromStream(stream);
    }
    state.counters["triangles"] = model.Triangles().Count();
}

// Resident memory of an open model with its look-up index, per triangle.
void BM_MemoryPerTriangle(benchmark::State& state) {
    const std::string file = BenchModelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const long before = ResidentBytes();
        auto model = std::make_unique<TVandrelTINModel>();
        TFileStream stream(file);
        model->ReadFromStream(stream);
        double value;
        model->FindTriangle(0, 0, value); // builds the index
        state.counters["bytes_per_triangle"] =
            static_cast<double>(ResidentBytes() - before) / model->Triangles().Count();
    }
}

struct TOpenModel {
    explicit TOpenModel(int triangles) {
        TFileStream stream(BenchModelFile(triangles));
        Model.ReadFromStream(stream);
        Model.Vertices().GetExtent(MinE, MinN, MinV, MaxE, MaxN, MaxV);
    }
    std::pair<double, double> RandomPoint(std::mt19937& random) const {
        std::uniform_real_distribution<double> e(MinE, MaxE), n(MinN, MaxN);
        return {e(random), n(random)};
    }
    TVandrelTINModel Model;
    double MinE, MinN, MinV, MaxE, MaxN, MaxV;
};

void BM_BuildIndex(benchmark::State& state) {
    TOpenModel open(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        open.Model.InvalidateIndex();
        double value;
        benchmark::DoNotOptimize(open.Model.FindTriangle(0, 0, value));
    }
}

void BM_FindIndexed(benchmark::State& state) {
    TOpenModel open(static_cast<int>(state.range(0)));
    std::mt19937 random(1);
    double value;
    open.Model.FindTriangle(0, 0, value);
    for (auto _ : state) {
        const auto [e, n] = open.RandomPoint(random);
        benchmark::DoNotOptimize(open.Model.FindTriangle(e, n, value));
    }
}

void BM_FindByScan(benchmark::State& state) {
    TOpenModel open(static_cast<int>(state.range(0)));
    std::mt19937 random(1);
    double value;
    for (auto _ : state) {
        const auto [e, n] = open.RandomPoint(random);
        benchmark::DoNotOptimize(open.Model.FindTriangleByScan(e, n, value));
    }
}

// The health check over the model: range(1) shares, 0 for every core.
class TNoReport : public THealthReport {
public:
    void AddProblem(const QString&, const QString&, TTriangle*) override { ++Rows; }
    void AddEntityProblem(TEntityKind, int, const QString&, TTriangle*) override { ++Rows; }
    int Rows = 0;
};

void BM_HealthCheck(benchmark::State& state) {
    TOpenModel open(static_cast<int>(state.range(0)));
    TNoReport report;
    for (auto _ : state)
        CheckModel(open.Model, report, static_cast<int>(state.range(1)));
    state.counters["rows"] = report.Rows / static_cast<double>(state.iterations());
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Arg(5000000)->Arg(20000000)->Unit(benchmark::kMillisecond);
}
} // namespace

BENCHMARK(BM_ReadFileBytes)->Apply(Sizes);
BENCHMARK(BM_AllocateObjects)->Apply(Sizes);
BENCHMARK(BM_TouchModelMemory)->Apply(Sizes);
BENCHMARK(BM_OpenModel)->Apply(Sizes);
BENCHMARK(BM_MemoryPerTriangle)->Apply(Sizes)->Iterations(1);
BENCHMARK(BM_BuildIndex)->Apply(Sizes);
BENCHMARK(BM_FindIndexed)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindByScan)->Apply(Sizes);
BENCHMARK(BM_HealthCheck)
    ->ArgsProduct({{1000000, 5000000, 20000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
