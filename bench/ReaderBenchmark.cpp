// QuarroTextReader over a generated skinned-mesh file held in memory: the
// whole read, from the stream to the bone and mesh records, as an import
// makes it. Throughput counts bytes of text.
//
//     build/release/bench/quarro_reader_benchmark [--benchmark_filter=...]
// The side of the grid can be set with QRO_BENCH_GRID_SIDE (default 150:
// 22 500 vertices).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchText.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"

namespace {

int GridSide() {
    const char* side = std::getenv("QRO_BENCH_GRID_SIDE");
    return side != nullptr ? std::atoi(side) : 150;
}

void BM_Reader_MemoryStream(benchmark::State& state) {
    const std::string text = orlo_bench::MakeMeshText(GridSide());
    int vertices = 0;
    for (auto _ : state) {
        orlo::UInputStream_Memory stream("bench.qro", text.data(), text.size());
        orlo::UArray<BoneData> bones;
        orlo::UArray<MeshData> meshes;
        if (!QuarroTextReader::Read(&stream, bones, meshes, nullptr) || meshes.Num() != 1) {
            state.SkipWithError("the generated file was rejected");
            break;
        }
        vertices = meshes[0].vertices.Num();
        benchmark::DoNotOptimize(meshes.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["vertices"] = vertices;
    state.counters["MB"] = double(text.size()) / 1e6;
}

} // namespace

BENCHMARK(BM_Reader_MemoryStream)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
