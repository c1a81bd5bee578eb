// maxsim-run as a user runs it: one process per session, with a test
// plug-in module, checked by exit status, output streams and written file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace {
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
    const std::string text = ChildProcess::ReadAll(p);
    // The Windows build writes CR LF to its standard streams.
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            plain += text[i];
    return plain;
}

// Runs maxsim-run with args, its standard streams kept in dir.
ChildProcess::Outcome RunSession(const std::vector<std::string>& args, const fs::path& dir) {
    std::vector<std::string> command{MAXSIM_RUN};
    command.insert(command.end(), args.begin(), args.end());
    ChildProcess::Options options;
    options.folder = dir;
    return ChildProcess::Run(command, options);
}

bool Matches(const std::string& text, const char* pattern) {
    return std::regex_search(text, std::regex(pattern, std::regex::ECMAScript));
}

struct Session {
    const char* name;
    std::vector<std::string> args; // %M the test module, %OLD the old-SDK module, %Q the product module,
                                   // %IN the input, %OUT the output
    const char* input;             // written to %IN when not null
    int status;
    const char* out; // patterns; null: not checked
    const char* notOut;
    const char* err;
    const char* file; // pattern for what %OUT holds
};

const Session kSessions[] = {
    {"export_all",
     {"plugin", "%M", "demo", "export", "%OUT"},
     nullptr,
     0,
     nullptr,
     nullptr,
     "info: test exporter: 100% of 10 nodes written",
     "node Tube\nnode Crate\n[^]*options 0\n$"},
    {"export_selected",
     {"plugin", "%M", "demo", "select", "Crate", "Dummy01", "export", "%OUT", "--selected"},
     nullptr,
     0,
     nullptr,
     nullptr,
     nullptr,
     "^node Crate\nnode Dummy01\noptions 1\n$"},
    {"import_then_dump",
     {"plugin", "%M", "import", "%IN", "dump", "-"},
     "box Alpha 1 2 3\nbox Beta -1 0 0\n",
     0,
     "\"name\": \"Alpha\"[^]*\"name\": \"Beta\"",
     nullptr,
     nullptr,
     nullptr},
    {"import_rejected_builds_nothing",
     {"plugin", "%M", "import", "%IN", "dump", "-"},
     "box Alpha 1 2 3\nsphere B\n",
     1,
     "\"time\": 0",
     "\"name\"",
     "warning: test importer: not a box list",
     nullptr},
    {"import_missing_file",
     {"plugin", "%M", "import", "%IN"},
     nullptr,
     1,
     nullptr,
     nullptr,
     "error: test importer: cannot read",
     nullptr},
    {"export_unwritable",
     {"plugin", "%M", "demo", "export", "%IN/out.tst"},
     nullptr,
     1,
     nullptr,
     nullptr,
     "the export to .* failed",
     nullptr},
    {"shutdown_reaches_module",
     {"plugin", "%M", "time", "10"},
     nullptr,
     0,
     nullptr,
     nullptr,
     "info: test module: shutdown",
     nullptr},
    {"old_sdk_module",
     {"plugin", "%OLD"},
     nullptr,
     1,
     nullptr,
     nullptr,
     "built for SDK version 0x1F401000, this host is 0x23281500",
     nullptr},
    {"missing_module", {"plugin", "%IN"}, nullptr, 1, nullptr, nullptr, "cannot load", nullptr},
    {"select_unknown_node",
     {"demo", "select", "Nobody", "dump", "-"},
     nullptr,
     1,
     nullptr,
     "\"nodes\"",
     "no node is named \"Nobody\"",
     nullptr},
    {"demo_dump",
     {"demo", "time", "160", "dump", "-"},
     nullptr,
     0,
     "^\\{\n  \"time\": 160,\n  \"nodes\"",
     nullptr,
     nullptr,
     nullptr},
    {"no_action", {}, nullptr, 2, nullptr, nullptr, "no action given", nullptr},
    // Each action after "times" reports its cost; those before it do not.
    {"times_reports_later_actions",
     {"demo", "times", "time", "10", "dump", "-"},
     nullptr,
     0,
     "\"time\": 10",
     nullptr,
     "^maxsim-run: time took [0-9]+\\.[0-9]{3} s CPU, [0-9]+\\.[0-9]{3} s wall; peak [1-9][0-9]*\\.[0-9] MiB so far\n"
     "maxsim-run: dump took [0-9]+\\.[0-9]{3} s CPU, [0-9]+\\.[0-9]{3} s wall; peak [1-9][0-9]*\\.[0-9] MiB so far\n$",
     nullptr},
    // The Windows build has no model reader: it refuses every file, as here a
    // file that is no model.
    {"load_unreadable_file_ends_session",
     {"load", "%IN", "dump", "-"},
     "this is no model\n",
     1,
     nullptr,
     "\"time\"",
     "^maxsim-run: cannot load \"[^\"]+\": .+\n$",
     nullptr},
    {"load_needs_a_file", {"load"}, nullptr, 2, nullptr, nullptr, "\"load\" needs an argument", nullptr},
    {"unknown_action", {"demo", "frobnicate"}, nullptr, 2, nullptr, nullptr, "unknown action \"frobnicate\"", nullptr},
    {"missing_argument", {"demo", "export"}, nullptr, 2, nullptr, nullptr, "\"export\" needs an argument", nullptr},
    {"bad_time", {"time", "1.5"}, nullptr, 2, nullptr, nullptr, "whole number", nullptr},
    // The product module, quarro.dle beside maxsim-run, loaded when no module is named.
    {"product_module_beside_maxsim_run",
     {"demo", "export", "%OUT"},
     nullptr,
     0,
     nullptr,
     nullptr,
     "loaded \".*quarro\\.dle\": Kilnworth Games QuarroExporter 0\\.1",
     "^version 1\n\nnumBones 5\nbone 0 \\{\n\tname \"Bone01\"\n\tparent \"\"\n"},
    {"product_selected_only",
     {"plugin", "%Q", "demo", "select", "Crate", "export", "%OUT", "--selected"},
     nullptr,
     0,
     nullptr,
     nullptr,
     nullptr,
     "numMeshes 1\nmesh 0 \\{\n\tname \"Crate\""},
    {"product_export_into_missing_folder",
     {"plugin", "%Q", "demo", "export", "%IN/no/such/folder/out.qro"},
     nullptr,
     1,
     nullptr,
     nullptr,
     "info: Can't open file \".*out\\.qro\" for writing\\.",
     nullptr},
    {"product_import_rejected_builds_nothing",
     {"plugin", "%Q", "import", "%IN", "dump", "-"},
     "version 2\r\n",
     1,
     "\"time\": 0",
     "\"name\"",
     "warning: WARNING: Can't handle file \".*in\\.tst\"\\. Some data is missing or corrupt\\.",
     nullptr},
    // A plug-in that changes what the host handed out, without a word: the
    // session names the rule after the action and ends with status 3.
    {"careless_exporter_breaks_a_host_rule",
     {"plugin", "%M", "demo", "export", "%IN-careless.tst"},
     nullptr,
     3,
     nullptr,
     nullptr,
     "maxsim-run: export: host rule broken: node \"",
     nullptr},
    {"product_import_missing_file",
     {"plugin", "%Q", "import", "%IN"},
     nullptr,
     1,
     nullptr,
     nullptr,
     "info: Can't open file \".*in\\.tst\" for reading\\.",
     nullptr},
};

class MaxsimRunTest : public ::testing::TestWithParam<Session> {};
} // namespace

TEST_P(MaxsimRunTest, SessionEndsAsExpected) {
    const Session& s = GetParam();
    const fs::path dir = fs::path(MAXSIM_TEST_WORK) / s.name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path in = dir / "in.tst", out = dir / "out.tst";
    if (s.input)
        std::ofstream(in, std::ios::binary) << s.input;
    std::vector<std::string> args;
    for (std::string a : s.args) {
        if (a.rfind("%M", 0) == 0)
            a = MAXSIM_TEST_MODULE;
        else if (a == "%Q")
            a = QUARRO_MODULE;
        else if (a == "%OLD")
            a = MAXSIM_TEST_MODULE_OLDSDK;
        else if (a.rfind("%IN", 0) == 0)
            a = in.string() + a.substr(3);
        else if (a == "%OUT")
            a = out.string();
        args.push_back(a);
    }
    const ChildProcess::Outcome r = RunSession(args, dir);
    EXPECT_EQ(r.exit, s.status) << r.err;
    if (s.out) {
        EXPECT_TRUE(Matches(r.out, s.out)) << r.out;
    }
    if (s.notOut) {
        EXPECT_FALSE(Matches(r.out, s.notOut)) << r.out;
    }
    if (s.err) {
        EXPECT_TRUE(Matches(r.err, s.err)) << r.err;
    }
    if (s.file) {
        EXPECT_TRUE(Matches(ReadFile(out), s.file)) << ReadFile(out);
    }
}

INSTANTIATE_TEST_SUITE_P(Sessions, MaxsimRunTest, ::testing::ValuesIn(kSessions),
                         [](const ::testing::TestParamInfo<Session>& info) { return std::string(info.param.name); });

namespace {
// The numbers and words of a .qro text in order, without its material
// blocks (an import creates no materials).
std::vector<std::string> TokensWithoutMaterials(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> tokens;
    std::string token;
    int skipDepth = 0;
    while (in >> token) {
        if (skipDepth == 0 && (token == "materialNames" || token == "polygonMaterialIndices")) {
            skipDepth = -1;
            continue;
        }
        if (skipDepth != 0) {
            if (token == "{")
                skipDepth = skipDepth < 0 ? 1 : skipDepth + 1;
            else if (token == "}")
                --skipDepth;
            continue;
        }
        tokens.push_back(token);
    }
    return tokens;
}
} // namespace

// The main job: the demo scene exported by the product module, imported into
// a fresh session and exported again gives the same file, material blocks
// aside (floats within 0.0001, order kept).
TEST(ProductModule, DemoSceneSurvivesExportImportExport) {
    const fs::path dir = fs::path(MAXSIM_TEST_WORK) / "product_round_trip";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path first = dir / "demo.qro", second = dir / "again.qro";
    ChildProcess::Outcome r = RunSession({"plugin", QUARRO_MODULE, "demo", "export", first.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.err;
    r = RunSession({"plugin", QUARRO_MODULE, "import", first.string(), "export", second.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::vector<std::string> a = TokensWithoutMaterials(ChildProcess::ReadAll(first));
    const std::vector<std::string> b = TokensWithoutMaterials(ChildProcess::ReadAll(second));
    ASSERT_GT(a.size(), 1000u);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        char* endA = nullptr;
        char* endB = nullptr;
        const double x = std::strtod(a[i].c_str(), &endA), y = std::strtod(b[i].c_str(), &endB);
        if (*endA == 0 && *endB == 0 && !a[i].empty())
            ASSERT_NEAR(x, y, 0.0001) << "token " << i;
        else
            ASSERT_EQ(a[i], b[i]) << "token " << i;
    }
}

#ifdef _WIN32
// A module's export name table holds its five entry points and nothing else.
void ExpectOnlyEntryPointsExported(const char* module) {
    const std::string image = ChildProcess::ReadAll(module);
    ASSERT_GT(image.size(), 0x40u);
    auto u16 = [&](size_t at) {
        return at + 1 < image.size() ? unsigned(uint8_t(image[at])) | unsigned(uint8_t(image[at + 1])) << 8 : 0u;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    const size_t pe = u32(0x3C);
    const size_t optional = pe + 24;
    const unsigned sections = u16(pe + 6);
    const size_t sectionTable = optional + u16(pe + 20);
    // The data directories follow the optional header's fixed part, 16 bytes
    // longer in a 64-bit image (PE32+) than in a 32-bit one (PE32).
    const unsigned magic = u16(optional);
    ASSERT_EQ(magic, sizeof(void*) == 8 ? 0x20Bu : 0x10Bu) << "an image of this build's width";
    const unsigned exportRva = u32(optional + (magic == 0x20B ? 112 : 96));
    // RVA to file offset through the section headers.
    auto offset = [&](unsigned rva) -> size_t {
        for (unsigned i = 0; i < sections; ++i) {
            const size_t h = sectionTable + 40 * i;
            const unsigned va = u32(h + 12), size = u32(h + 16), raw = u32(h + 20);
            if (rva >= va && rva < va + size)
                return raw + (rva - va);
        }
        return 0;
    };
    const size_t dir = offset(exportRva);
    ASSERT_NE(dir, 0u);
    const unsigned names = u32(dir + 24);
    const size_t nameTable = offset(u32(dir + 32));
    std::vector<std::string> exported;
    for (unsigned i = 0; i < names; ++i) {
        const size_t at = offset(u32(nameTable + 4 * i));
        ASSERT_LT(at, image.size());
        exported.push_back(image.c_str() + at);
    }
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, (std::vector<std::string>{"CanAutoDefer", "LibClassDesc", "LibDescription", "LibNumberClasses",
                                                  "LibVersion"}));
}

TEST(MaxsimTestModule, ExportsOnlyItsEntryPoints) {
    ExpectOnlyEntryPointsExported(MAXSIM_TEST_MODULE);
}

TEST(ProductModule, ExportsOnlyItsEntryPoints) {
    ExpectOnlyEntryPointsExported(QUARRO_MODULE);
}
#endif
