// The block-syntax tokenizer over the inside of a generated mesh block (what
// the reader hands it: keywords, a name and the braced lists) and over the
// inside of its vertices block (nothing but numbers). Throughput counts bytes
// of text; the token count shows that the whole text was cut.
//
//     build/release/bench/quarro_tokenizer_benchmark [--benchmark_filter=...]
// The side of the grid can be set with QRO_BENCH_GRID_SIDE (default 150:
// 22 500 vertices).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchText.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UTextParser.h"

namespace {

int GridSide() {
    const char* side = std::getenv("QRO_BENCH_GRID_SIDE");
    return side != nullptr ? std::atoi(side) : 150;
}

const std::string& MeshText() {
    static const std::string text = orlo_bench::MakeMeshText(GridSide());
    return text;
}

const std::string& Block(const char* head) {
    static const std::string mesh = orlo_bench::BlockContent(MeshText(), "mesh 0");
    static const std::string vertices = orlo_bench::BlockContent(mesh, "vertices");
    return std::string(head) == "mesh" ? mesh : vertices;
}

// One scanner over one block: TParser is constructed over the text (which
// cuts it into its token table) and reports the tokens it found.
template <class TParser>
void Tokenize(benchmark::State& state, const char* head) {
    const orlo::UBaseString<unsigned char> text(Block(head).c_str());
    int tokens = 0;
    for (auto _ : state) {
        TParser parser(text);
        tokens = parser.GetTokenTable().Num() / 4;
        benchmark::DoNotOptimize(tokens);
    }
    if (tokens == 0)
        state.SkipWithError("no tokens");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.Num() - 1));
    state.counters["tokens"] = tokens;
    state.counters["MB"] = double(text.Num() - 1) / 1e6;
}

// The block syntax as a reader's tokenizer gets it: the hand-written scanner.
using Scanner = orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax>;

// The same patterns searched by the regex engine, which defines the table.
class Oniguruma : public orlo::TextParserPolicy_ParseString {
public:
    explicit Oniguruma(const orlo::UBaseString<unsigned char>& text)
        : TextParserPolicy_ParseString(text, Patterns().main, Patterns().refinements, ScanMethod::Regex) {}

private:
    struct PatternSet {
        orlo::UBaseString<unsigned char> main;
        orlo::UList<orlo::UBaseString<unsigned char>> refinements;
    };
    static const PatternSet& Patterns() {
        static const PatternSet patterns = [] {
            PatternSet set;
            orlo::TextParserPolicy_BlockSyntax::Apply(set.main, set.refinements);
            return set;
        }();
        return patterns;
    }
};

void BM_Tokenizer_Oniguruma_MeshBlock(benchmark::State& state) {
    Tokenize<Oniguruma>(state, "mesh");
}
void BM_Tokenizer_Oniguruma_VerticesBlock(benchmark::State& state) {
    Tokenize<Oniguruma>(state, "vertices");
}
void BM_Tokenizer_Scanner_MeshBlock(benchmark::State& state) {
    Tokenize<Scanner>(state, "mesh");
}
void BM_Tokenizer_Scanner_VerticesBlock(benchmark::State& state) {
    Tokenize<Scanner>(state, "vertices");
}

} // namespace

BENCHMARK(BM_Tokenizer_Oniguruma_MeshBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tokenizer_Oniguruma_VerticesBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tokenizer_Scanner_MeshBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tokenizer_Scanner_VerticesBlock)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
