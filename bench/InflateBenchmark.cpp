// The inflate decoder against zlib on the same member: about 10 MB of text
// shaped like a skinned-mesh file, deflated by zlib at its default level as
// a ZIP tool would store it. Throughput counts uncompressed bytes.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "orlo/Utils/DecompressorPolicy_Deflate.h"

namespace {

// Deterministic text: bone records with matrices, vertices, normals and
// polygons with indices, all in the file's "%.4f" style.
std::string MakeText(size_t size) {
    std::string text = "version 1\r\nbones\r\n{\r\n";
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    auto number = [&next] { return (double(next() % 2000000) - 1000000.0) / 10000.0; };
    char line[256];
    for (int record = 0; text.size() < size; ++record) {
        switch (record % 5) {
        case 0:
            snprintf(line, sizeof(line), "\tbone \"Bone%04d\" \"Bone%04d\"\r\n", record % 9000, (record / 2) % 9000);
            break;
        case 1:
            snprintf(line, sizeof(line), "\t\t%.4f %.4f %.4f %.4f\r\n", number(), number(), number(), number());
            break;
        case 2:
            snprintf(line, sizeof(line), "\t\tv %.4f %.4f %.4f\r\n", number(), number(), number());
            break;
        case 3:
            snprintf(line, sizeof(line), "\t\tn %.4f %.4f %.4f\r\n", number() / 100, number() / 100, number() / 100);
            break;
        default:
            snprintf(line, sizeof(line), "\t\tf 3 %u %u %u\r\n", next() % 60000, next() % 60000, next() % 60000);
        }
        text += line;
    }
    text.resize(size);
    return text;
}

struct Member {
    std::string plain;
    std::vector<unsigned char> compressed;

    Member() : plain(MakeText(10 * 1024 * 1024)) {
        z_stream stream = {};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        compressed.resize(deflateBound(&stream, uLong(plain.size())));
        stream.next_in = reinterpret_cast<Bytef*>(plain.data());
        stream.avail_in = uInt(plain.size());
        stream.next_out = compressed.data();
        stream.avail_out = uInt(compressed.size());
        deflate(&stream, Z_FINISH);
        compressed.resize(stream.total_out);
        deflateEnd(&stream);
    }
};

const Member& TheMember() {
    static const Member member;
    return member;
}

void BM_Inflate_Decoder(benchmark::State& state) {
    const Member& member = TheMember();
    orlo::UArray<unsigned char> input;
    input.AddUninitialized(int32_t(member.compressed.size()));
    memcpy(input.GetData(), member.compressed.data(), member.compressed.size());
    orlo::DecompressorPolicy_Deflate decoder;
    for (auto _ : state) {
        orlo::UArray<unsigned char> output;
        bool success = decoder.Decompress(input, output, uint32_t(member.plain.size()));
        if (!success || size_t(output.Num()) != member.plain.size() ||
            memcmp(output.GetData(), member.plain.data(), member.plain.size()) != 0)
            state.SkipWithError("the decoder did not reproduce the member");
        benchmark::DoNotOptimize(output.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(member.plain.size()));
    state.counters["compressed_MB"] = double(member.compressed.size()) / 1048576.0;
}

void BM_Inflate_Zlib(benchmark::State& state) {
    const Member& member = TheMember();
    std::vector<unsigned char> output(member.plain.size());
    for (auto _ : state) {
        z_stream stream = {};
        inflateInit2(&stream, -15);
        stream.next_in = const_cast<Bytef*>(member.compressed.data());
        stream.avail_in = uInt(member.compressed.size());
        stream.next_out = output.data();
        stream.avail_out = uInt(output.size());
        if (inflate(&stream, Z_FINISH) != Z_STREAM_END || stream.total_out != member.plain.size())
            state.SkipWithError("zlib did not reproduce the member");
        inflateEnd(&stream);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(member.plain.size()));
}

} // namespace

BENCHMARK(BM_Inflate_Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Zlib)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
