// Every model file of the package, loaded into the host: the scene is added
// or the file refused with Assimp's reason; nothing crashes or hangs.
#include "ChildProcess.h"
#include "SceneSupport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

using namespace scenes;

namespace {
#ifdef SCENE_TESTS_SANITIZED
const int kSecondsPerFile = 300;
#else
const int kSecondsPerFile = 60;
#endif

// Claims a vertex count of billions in a few hundred bytes: Assimp's reader
// reserves room for them before it finds that the file ends. It is walked
// on its own, in a process with an address-space limit.
const char* const kOutOfMemoryFile = "invalid/OutOfMemory.off";

// Ends the process, naming the file, when one load takes longer than the
// limit: a hang must not stall the suite without saying where.
class Watchdog {
public:
    Watchdog() : m_thread([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Start(const std::string& file) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_file = file;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kSecondsPerFile);
        m_armed = true;
    }
    void Stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::milliseconds(200));
            if (m_armed && std::chrono::steady_clock::now() > m_deadline) {
                std::fprintf(stderr, "the load of %s took longer than %d s\n", m_file.c_str(), kSecondsPerFile);
                std::abort();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_file;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_stop = false;
    std::thread m_thread;
};

class ModelWalkTest : public MaxsimTest {};
} // namespace

TEST_F(ModelWalkTest, EveryModelOfThePackageLoadsOrIsRefusedWithAReason) {
    const fs::path root(SCENE_MODELS);
    if (!fs::is_directory(root))
        GTEST_SKIP() << "the assimp-testmodels package is not installed here (" << root << " is missing)";
    std::vector<fs::path> files;
    Assimp::Importer formats;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && formats.IsExtensionSupported(entry.path().extension().string()) &&
            entry.path() != root / kOutOfMemoryFile)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    Watchdog watchdog;
    int loaded = 0, refused = 0, skinned = 0;
    double slowest = 0.0;
    std::string slowestFile;
    for (const fs::path& file : files) {
        Host().Reset();
        maxsim::ModelLoader::Result r;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        watchdog.Start(file.string());
        const bool ok = maxsim::ModelLoader::Load(Host(), file.string(), r, error);
        watchdog.Stop();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > slowest) {
            slowest = seconds;
            slowestFile = file.string();
        }
        if (ok) {
            ++loaded;
            skinned += r.skins > 0;
            EXPECT_EQ(int(Host().AllNodes().size()), r.nodes) << file;
            // The loaded scene evaluates: every poly's pipeline runs.
            for (INode* node : Host().AllNodes())
                node->EvalWorldState(Now());
        } else {
            ++refused;
            const std::string prefix = "cannot load \"" + file.string() + "\": ";
            EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
            EXPECT_GT(error.size(), prefix.size()) << file << ": no reason given";
            EXPECT_TRUE(Host().AllNodes().empty()) << file << ": a refused file added nodes";
        }
    }
    std::cout << files.size() << " files: " << loaded << " loaded (" << skinned << " with skins), " << refused
              << " refused; slowest " << slowestFile << " (" << slowest << " s)\n";
    EXPECT_GT(loaded, 0);
}

// The file that claims billions of points: Assimp's reader runs out of the
// process's memory and says so, and the session ends with that message.
TEST(ModelWalkOutOfMemory, RefusedWithAssimpsReasonUnderAMemoryLimit) {
    const fs::path file = fs::path(SCENE_MODELS) / kOutOfMemoryFile;
    if (!fs::exists(file))
        GTEST_SKIP() << "the assimp-testmodels package is not installed here (" << file << " is missing)";
#ifdef SCENE_TESTS_SANITIZED
    GTEST_SKIP() << "needs an address-space limit, which AddressSanitizer's shadow memory does not allow; "
                    "the release configuration runs it";
#else
    ChildProcess::Options options;
    options.folder = fs::path(SCENE_TEST_WORK) / "oom";
    options.seconds = kSecondsPerFile;
    options.memoryLimit = 2ull << 30;
    const ChildProcess::Outcome r = ChildProcess::Run({MAXSIM_RUN, "load", file.string()}, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.err, "maxsim-run: cannot load \"" + file.string() + "\": std::bad_alloc\n");
#endif
}

// Some of Assimp's readers leak what they built when they refuse a broken
// file (found by walking the package under LeakSanitizer; the stacks end in
// libassimp). Those leaks are Assimp's own, not the host's: they are left
// out of the leak report, and nothing else is.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}
