// Runs the built qro program as a user would and checks what it answers:
// exit status, standard output and standard error.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <algorithm>

#include <gtest/gtest.h>

#include "../../support/TextDifference.h"
#include "ChildProcess.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

using Outcome = ChildProcess::Outcome;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

fs::path Scratch() {
    fs::path dir = fs::temp_directory_path() / ("qro_tests_" + std::to_string(
#ifdef _WIN32
                                                                   GetCurrentProcessId()
#else
                                                                   getpid()
#endif
                                                                       ));
    fs::create_directories(dir);
    return dir;
}

Outcome Qro(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QRO_EXECUTABLE);
    return ChildProcess::Run(arguments);
}

// Leaves no scratch files behind.
class ScratchCleanup : public testing::Environment {
public:
    void TearDown() override {
        std::error_code error;
        fs::remove_all(Scratch(), error);
    }
};
const testing::Environment* const kCleanup = testing::AddGlobalTestEnvironment(new ScratchCleanup);

// Paths in the cases are relative to the source tree, wherever the program starts.
class SourceTreeDirectory : public testing::Environment {
public:
    void SetUp() override { fs::current_path(QRO_SOURCE_DIR); }
};
const testing::Environment* const kSourceTree = testing::AddGlobalTestEnvironment(new SourceTreeDirectory);

const char* const kSample = "samples/banner.qro";

TEST(QroContract, CheckAcceptedFile) {
    Outcome outcome = Qro({"check", kSample});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.out, "ok: 2 bones, 1 meshes\n");
    EXPECT_EQ(outcome.err, "");
}

TEST(QroContract, CheckReadsAMemberOfAZipArchive) {
    Outcome outcome = Qro({"check", "tests/data/qro/banner.zip/models/banner.qro"});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.out, "ok: 2 bones, 1 meshes\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Qro({"dump", "tests/data/qro/banner.zip/models/banner.qro"}).out, Qro({"dump", kSample}).out);
}

struct FailureCase {
    const char* label;
    std::vector<std::string> arguments;
    const char* err;
};

class QroFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(QroFailures, ExitOneWithTheMessageOnStandardError) {
    Outcome outcome = Qro(GetParam().arguments);
    EXPECT_EQ(outcome.exit, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroFailures,
    testing::Values(
        FailureCase{"CheckRejected",
                    {"check", "tests/data/qro/version2.qro"},
                    "WARNING: Can't handle file \"tests/data/qro/version2.qro\". Some data is missing or corrupt.\n"
                    "WARNING: Reason: the version is not 1.\n"},
        FailureCase{"DumpRejected",
                    {"dump", "tests/data/qro/version2.qro"},
                    "WARNING: Can't handle file \"tests/data/qro/version2.qro\". Some data is missing or corrupt.\n"
                    "WARNING: Reason: the version is not 1.\n"},
        FailureCase{"CheckMissing",
                    {"check", "tests/data/qro/missing.qro"},
                    "Can't open file \"tests/data/qro/missing.qro\" for reading.\n"},
        FailureCase{"CheckMissingMember",
                    {"check", "tests/data/qro/banner.zip/models/none.qro"},
                    "WARNING: The file \"models/none.qro\" can't be found inside the archive "
                    "\"tests/data/qro/banner.zip\".\n"
                    "Can't open file \"tests/data/qro/banner.zip/models/none.qro\" for reading.\n"},
        FailureCase{"DumpDirectory", {"dump", "tests/data/qro"}, "Can't open file \"tests/data/qro\" for reading.\n"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.label); });

class QroUsage : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(QroUsage, UsageOnStandardErrorAndExitTwo) {
    Outcome outcome = Qro(GetParam());
    EXPECT_EQ(outcome.exit, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("usage: qro check PATH", 0), 0u) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, QroUsage,
                         testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--HELP"},
                                         std::vector<std::string>{"--help", "check"}, std::vector<std::string>{"check"},
                                         std::vector<std::string>{"check", "--strict"},
                                         std::vector<std::string>{"check", kSample, "--strict"},
                                         std::vector<std::string>{"check", "--strict", kSample, "more"},
                                         std::vector<std::string>{"check", "-strict", kSample},
                                         std::vector<std::string>{"check", kSample, "more"},
                                         std::vector<std::string>{"write", "only.json"},
                                         std::vector<std::string>{"CHECK", kSample}));

class QroHelp : public testing::TestWithParam<const char*> {};

TEST_P(QroHelp, UsageOnStandardOutputAndExitZero) {
    Outcome outcome = Qro({GetParam()});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("usage: qro check PATH", 0), 0u) << outcome.out;
    EXPECT_NE(outcome.out.find("qro check --strict PATH"), std::string::npos) << outcome.out;
    // The same text that a wrong call gets.
    EXPECT_EQ(outcome.out, Qro({}).err);
}

INSTANTIATE_TEST_SUITE_P(Options, QroHelp, testing::Values("--help", "-h"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[1] == '-' ? "Long" : "Short");
                         });

// A file the reader accepts, with one finding of five kinds; the material
// findings show that check reads the material blocks too.
const char* const kFindings = "tests/data/qro/check_findings.qro";
const char* const kFindingsErr =
    "qro: check: 1 name with a double quote or a line break, which the file cannot read back: first the material "
    "name \"Tr\\r\\nim\" in mesh \"Flag\"\n"
    "qro: check: 1 vertex whose weights do not sum to 1 (within 0.001): first in mesh \"Flag\", vertex 4\n"
    "qro: check: 1 bone that no weight uses: first bone \"Tail\"\n"
    "qro: check: 1 polygon with fewer than three corners or a repeated vertex: first in mesh \"Flag\", polygon 2\n"
    "qro: check: 1 polygon whose material index is beyond its mesh's material names: first in mesh \"Flag\", "
    "polygon 1 (index 3, with 2 material names)\n";

struct StrictCase {
    const char* label;
    std::vector<std::string> arguments;
    int exit;
    const char* out;
    const char* err;
};

class QroCheckFindingsContract : public testing::TestWithParam<StrictCase> {};

// Findings go to standard error, one line per kind; standard output keeps the
// "ok" line alone; only --strict turns findings into an exit status of 3.
TEST_P(QroCheckFindingsContract, StatusOutputAndError) {
    Outcome outcome = Qro(GetParam().arguments);
    EXPECT_EQ(outcome.exit, GetParam().exit);
    EXPECT_EQ(outcome.out, GetParam().out);
    EXPECT_EQ(outcome.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroCheckFindingsContract,
    testing::Values(StrictCase{"Findings", {"check", kFindings}, 0, "ok: 3 bones, 1 meshes\n", kFindingsErr},
                    StrictCase{
                        "StrictFindings", {"check", "--strict", kFindings}, 3, "ok: 3 bones, 1 meshes\n", kFindingsErr},
                    StrictCase{"StrictClean", {"check", "--strict", kSample}, 0, "ok: 2 bones, 1 meshes\n", ""},
                    StrictCase{"StrictRejected",
                               {"check", "--strict", "tests/data/qro/version2.qro"},
                               1,
                               "",
                               "WARNING: Can't handle file \"tests/data/qro/version2.qro\". Some data is missing or "
                               "corrupt.\nWARNING: Reason: the version is not 1.\n"},
                    StrictCase{"StrictMissing",
                               {"check", "--strict", "tests/data/qro/missing.qro"},
                               1,
                               "",
                               "Can't open file \"tests/data/qro/missing.qro\" for reading.\n"}),
    [](const testing::TestParamInfo<StrictCase>& info) { return std::string(info.param.label); });

TEST(QroContract, DumpPrintsFieldsAsTheyWereRead) {
    Outcome outcome = Qro({"dump", "tests/data/qro/odd_values.qro"});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.err, "");
    // Unsigned lists print unsigned, bone indices signed, names byte by code point.
    EXPECT_EQ(outcome.out,
              "{\"bones\":[{\"invBaseMatrix\":[1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0],"
              "\"name\":\"caf\xC3\xA9\",\"parent\":\"\"}],"
              "\"meshes\":[{\"name\":\"m\",\"normals\":[],\"polygonMaterialIndices\":[],\"polygonNormalIndices\":[],"
              "\"polygonTexCoordIndices\":[],\"polygonVertexCounts\":[1],\"polygonVertexIndices\":[4294967295],"
              "\"textureCoordinates\":[],\"vertexWeightCounts\":[],\"vertices\":[[0.1,-0.0,10.0]],"
              "\"weights\":[[-1,0.5]]}]}\n");
}

TEST(QroContract, WriteGivesTheSampleByteForByte) {
    fs::path out = Scratch() / "banner.qro";
    fs::remove(out);
    Outcome outcome = Qro({"write", "tests/data/qro/banner.json", out.string()});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(ReadAll(out) == ReadAll(kSample)) << "the written file differs from " << kSample << ": "
                                                  << orlo_test::FirstDifference(ReadAll(kSample), ReadAll(out));
}

class QroDumpThenWrite : public testing::TestWithParam<const char*> {};

TEST_P(QroDumpThenWrite, GivesTheSameDumpAgain) {
    fs::path dir = Scratch();
    Outcome dump = Qro({"dump", GetParam()});
    ASSERT_EQ(dump.exit, 0) << dump.err;
    { std::ofstream(dir / "dumped.json", std::ios::binary) << dump.out; }
    Outcome write = Qro({"write", (dir / "dumped.json").string(), (dir / "again.qro").string()});
    ASSERT_EQ(write.exit, 0) << write.err;
    Outcome again = Qro({"dump", (dir / "again.qro").string()});
    EXPECT_EQ(again.out, dump.out);
}

INSTANTIATE_TEST_SUITE_P(Files, QroDumpThenWrite, testing::Values(kSample, "tests/data/qro/special_floats.qro"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = fs::path(info.param).stem().string();
                             name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
                             return name;
                         });

TEST(QroContract, DumpWritesNaNAndInfinitiesAsStrings) {
    Outcome outcome = Qro({"dump", "tests/data/qro/special_floats.qro"});
    EXPECT_EQ(outcome.exit, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_NE(outcome.out.find("\"invBaseMatrix\":[\"nan\",0.0,0.0,0.0,0.0,\"inf\",0.0,0.0,0.0,0.0,\"-inf\","),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("\"vertices\":[[\"nan\",\"inf\",\"-inf\"]]"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("\"weights\":[[0,\"nan\"]]"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("null"), std::string::npos) << outcome.out;
}

struct BadJson {
    const char* label;
    const char* json;
    const char* message;
};

class QroWriteRefuses : public testing::TestWithParam<BadJson> {};

TEST_P(QroWriteRefuses, ClearMessageAndNoFile) {
    fs::path dir = Scratch();
    fs::path in = dir / "in.json";
    fs::path out = dir / "refused.qro";
    fs::remove(out);
    { std::ofstream(in, std::ios::binary) << GetParam().json; }
    Outcome outcome = Qro({"write", in.string(), out.string()});
    EXPECT_EQ(outcome.exit, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(GetParam().message), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroWriteRefuses,
    testing::Values(
        BadJson{"NotJson", "{\"bones\": [", "parse error"},
        BadJson{"CodePointAboveFF", "{\"bones\": [{\"name\": \"\\u0100\"}]}",
                "document.bones[0].name: names are 8-bit text"},
        BadJson{"UnknownKey", "{\"meshes\": [{\"vertice\": []}]}", "document.meshes[0]: unknown key \"vertice\""},
        BadJson{"ShortIndices", "{\"meshes\": [{\"polygonVertexCounts\": [3], \"polygonVertexIndices\": [0, 1]}]}",
                "document.meshes[0].polygonVertexIndices: holds 2 indices for 3 polygon corners"},
        BadJson{"LongIndices",
                "{\"meshes\": [{\"polygonVertexCounts\": [1], \"polygonVertexIndices\": [0], "
                "\"polygonNormalIndices\": [0, 0]}]}",
                "document.meshes[0].polygonNormalIndices: holds 2 indices for 1 polygon corners"},
        BadJson{"UnknownFloatText", "{\"meshes\": [{\"vertices\": [[1, 2, \"infinity\"]]}]}",
                "document.meshes[0].vertices[0][2]: expected a number, \"nan\", \"inf\" or \"-inf\""},
        BadJson{"VectorOfTwo", "{\"meshes\": [{\"vertices\": [[1, 2]]}]}",
                "document.meshes[0].vertices[0]: expected an array of 3 numbers"},
        BadJson{"MatrixOfFifteen", "{\"bones\": [{\"invBaseMatrix\": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15]}]}",
                "document.bones[0].invBaseMatrix: expected an array of 16 numbers"},
        BadJson{"QuoteInName", "{\"bones\": [{\"name\": \"a\\\"b\"}]}", "cannot hold a double quote"},
        BadJson{"WeightsUncounted", "{\"meshes\": [{\"weights\": [[0, 1.0]]}]}",
                "document.meshes[0].vertexWeightCounts: counts 0 weights, but weights holds 1"},
        BadJson{"MaterialIndicesWithoutNames",
                "{\"meshes\": [{\"polygonVertexCounts\": [0], "
                "\"polygonVertexIndices\": [], \"polygonMaterialIndices\": [0]}]}",
                "needs materialNames"}),
    [](const testing::TestParamInfo<BadJson>& info) { return std::string(info.param.label); });

TEST(QroContract, WriteOfMissingJson) {
    fs::path out = Scratch() / "never.qro";
    Outcome outcome = Qro({"write", "tests/data/qro/missing.json", out.string()});
    EXPECT_EQ(outcome.exit, 1);
    EXPECT_EQ(outcome.err, "qro: can't open JSON file \"tests/data/qro/missing.json\" for reading.\n");
    EXPECT_FALSE(fs::exists(out));
}

} // namespace
