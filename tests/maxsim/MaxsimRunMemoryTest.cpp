// The product module importing a file that does not fit into the process:
// maxsim-run under address-space limits from too little to enough.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "ChildProcess.h"
#include "GridMesh.h"

namespace {
namespace fs = std::filesystem;

[[maybe_unused]] bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Why an import that ran out of memory stopped, as its warning says.
const char* const kStopReasons[] = {
    "WARNING: memory allocation of ",                                  // the file or its lists
    "is not imported: the host would not find the memory to build it", // a mesh the host could not hold
    "WARNING: The file translation is stopped: the host could not allocate the memory it needs.",
};

} // namespace

// From a limit in which the file's text does not fit to one in which the
// whole import does, every import either builds the whole mesh or answers
// failure with a warning that says memory ran out, and leaves no part of
// the mesh in the scene. Neither the plug-in nor the host goes down.
TEST(ProductModuleOutOfMemory, EveryAddressSpaceLimitEndsInAWholeMeshOrACleanFailure) {
#if defined(_WIN32)
    GTEST_SKIP() << "an address-space limit is set on Linux only";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs an address-space limit, which AddressSanitizer's shadow memory does not allow; "
                    "the release configuration runs it";
#else
    const fs::path dir = fs::path(MAXSIM_TEST_WORK) / "out_of_memory";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path in = dir / "grid.qro", out = dir / "out.qro";
    constexpr int kSide = 200;
    orlo_test::WriteGridMesh(in.string(), kSide);

    std::set<std::string> reasonsSeen;
    bool imported = false;
    for (unsigned long long megabytes = 24; megabytes <= 1024 && !imported; megabytes += 2) {
        fs::remove(out);
        ChildProcess::Options options;
        options.folder = dir;
        options.seconds = 60;
        options.memoryLimit = megabytes << 20;
        const ChildProcess::Outcome r = ChildProcess::Run(
            {MAXSIM_RUN, "plugin", QUARRO_MODULE, "import", in.string(), "export", out.string()}, options);
        if (!Contains(r.err, "maxsim-run: loaded"))
            continue; // the host itself does not start in so little
        SCOPED_TRACE(std::to_string(megabytes) + " MB:\n" + r.err);
        ASSERT_FALSE(r.timedOut);
        ASSERT_EQ(r.signal, 0);
        if (!Contains(r.err, "the import of")) {
            if (Contains(r.err, "the export to"))
                continue; // imported, but the export did not fit
            ASSERT_EQ(r.exit, 0);
            const std::string text = ChildProcess::ReadAll(out);
            const size_t begin = text.find("\tvertices {"), end = text.find("\t}", begin);
            ASSERT_NE(begin, std::string::npos) << "the export holds no mesh";
            EXPECT_EQ(std::count(text.begin() + begin, text.begin() + end, '\n'), kSide * kSide + 1);
            imported = true;
            continue;
        }
        // Failed: status 1 (never 3, a broken host rule), one of the reasons,
        // and an export of what the scene holds shows no mesh.
        ASSERT_EQ(r.exit, 1);
        bool said = false;
        for (const char* reason : kStopReasons)
            if (Contains(r.err, reason)) {
                reasonsSeen.insert(reason);
                said = true;
            }
        EXPECT_TRUE(said) << "no warning says that memory ran out";
        if (!Contains(r.err, "the export to")) {
            EXPECT_FALSE(Contains(ChildProcess::ReadAll(out), "mesh 0 {"))
                << "a mesh of the failed import is in the scene";
        }
    }
    EXPECT_TRUE(imported) << "the file did not import even with 1 GB";
    // The sweep passed the file's text and the host's building.
    EXPECT_GE(reasonsSeen.size(), 2u);
#endif
}
