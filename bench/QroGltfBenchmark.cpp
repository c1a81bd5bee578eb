// qro gltf on a generated skinned mesh of 1 000 000 vertices (a 1000 x 1000
// grid of quads, one normal and one coordinate per vertex, two materials, two
// weights per vertex), run as a user runs it. "qro check" on the same file
// shows how much of that is reading the text.
//
//     build/release/bench/qro_gltf_benchmark [--benchmark_filter=...]
// The side of the grid can be set with QRO_BENCH_GRID_SIDE.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "GridMesh.h"

namespace {

namespace fs = std::filesystem;

int GridSide() {
    const char* side = std::getenv("QRO_BENCH_GRID_SIDE");
    return side != nullptr ? std::atoi(side) : 1000;
}

std::string path;

const std::string& Input() {
    if (path.empty()) {
        path = (fs::temp_directory_path() / "qro_gltf_benchmark.qro").string();
        orlo_test::WriteGridMesh(path, GridSide(), 16);
    }
    return path;
}

void Run(benchmark::State& state, const std::string& command) {
    const std::string& input = Input();
    state.counters["vertices"] = double(GridSide()) * GridSide();
    state.counters["MB"] = double(fs::file_size(input)) / 1e6;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
}

void QroCheck(benchmark::State& state) {
    Run(state, std::string(QRO_EXECUTABLE) + " check " + Input() + " > /dev/null");
}

void QroGltf(benchmark::State& state) {
    std::string out = (fs::temp_directory_path() / "qro_gltf_benchmark.glb").string();
    Run(state, std::string(QRO_EXECUTABLE) + " gltf " + Input() + " " + out);
    fs::remove(out);
}

} // namespace

BENCHMARK(QroCheck)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(QroGltf)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (!path.empty())
        fs::remove(path);
    return 0;
}
