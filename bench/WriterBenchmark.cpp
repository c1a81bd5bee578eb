// The text writer over a generated skinned mesh (the records that the reader
// makes of a generated file), written to a memory stream and to a file through
// the C-library file system, which gathers the writer's many small writes
// into blocks. Throughput counts bytes of text.
//
//     build/release/bench/quarro_writer_benchmark [--benchmark_filter=...]
// The side of the grid can be set with QRO_BENCH_GRID_SIDE (default 300:
// 90 000 vertices).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchText.h"
#include "QuarroRecordWriter.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"

namespace {

namespace fs = std::filesystem;

int GridSide() {
    const char* side = std::getenv("QRO_BENCH_GRID_SIDE");
    return side != nullptr ? std::atoi(side) : 300;
}

struct Records {
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    uint64_t textSize = 0;

    Records() {
        const std::string text = orlo_bench::MakeMeshText(GridSide());
        orlo::UInputStream_Memory stream("bench.qro", text.data(), text.size());
        QuarroTextReader::Read(&stream, bones, meshes, nullptr);
        // Material names are not read back, so the text written is a little shorter.
        orlo::UOutputStream_Memory memory("size");
        QuarroRecordWriter::Write(&memory, bones, meshes);
        textSize = memory.GetLength();
    }
};

const Records& TheRecords() {
    static const Records records;
    return records;
}

// Counts the writes it is handed: what an unbuffered file stream turns into
// system calls.
class UCountingStream : public orlo::UOutputStream_Memory {
public:
    UCountingStream() : UOutputStream_Memory("bench.qro") {}
    uint64_t Serialize(const void* buffer, uint64_t size) override {
        ++m_writes;
        return UOutputStream_Memory::Serialize(buffer, size);
    }
    uint64_t m_writes = 0;
};

void BM_Writer_MemoryStream(benchmark::State& state) {
    const Records& records = TheRecords();
    uint64_t writes = 0;
    for (auto _ : state) {
        UCountingStream memory;
        QuarroRecordWriter::Write(&memory, records.bones, records.meshes);
        if (memory.GetLength() != records.textSize)
            state.SkipWithError("short text");
        writes = memory.m_writes;
        benchmark::DoNotOptimize(memory.GetBytes());
    }
    state.SetBytesProcessed(int64_t(state.iterations() * records.textSize));
    state.counters["MB"] = double(records.textSize) / 1e6;
    state.counters["writes"] = double(writes);
}

void BM_Writer_File(benchmark::State& state) {
    const Records& records = TheRecords();
    const orlo::UString path((fs::temp_directory_path() / "quarro-bench-writer.qro").string().c_str());
    orlo::UFileSystem_ANSI files;
    for (auto _ : state) {
        orlo::TStreamHandle<orlo::IOutputStream> stream = files.CreateFileWriter(path, true, false);
        if (!stream) {
            state.SkipWithError("cannot open the file");
            break;
        }
        QuarroRecordWriter::Write(stream.Get(), records.bones, records.meshes);
        stream->Close();
        if (stream->HasFailed())
            state.SkipWithError("the file was not written whole");
    }
    if (files.GetFileSize(path) != records.textSize)
        state.SkipWithError("the file has the wrong size");
    files.Delete(path);
    state.SetBytesProcessed(int64_t(state.iterations() * records.textSize));
    state.counters["MB"] = double(records.textSize) / 1e6;
}

} // namespace

BENCHMARK(BM_Writer_MemoryStream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Writer_File)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
