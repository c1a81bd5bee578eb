#include "QroGltfTestSupport.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qro_gltf_test {

namespace fs = std::filesystem;

fs::path Scratch() {
#ifdef _WIN32
    unsigned long id = GetCurrentProcessId();
#else
    unsigned long id = (unsigned long)getpid();
#endif
    fs::path dir = fs::temp_directory_path() / ("qro_gltf_tests_" + std::to_string(id));
    fs::create_directories(dir);
    return dir;
}

ChildProcess::Outcome Qro(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {QRO_EXECUTABLE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::Run(command);
}

namespace {

class ScratchCleanup : public testing::Environment {
public:
    void TearDown() override {
        std::error_code error;
        fs::remove_all(Scratch(), error);
    }
};
const testing::Environment* const kCleanup = testing::AddGlobalTestEnvironment(new ScratchCleanup);

} // namespace

} // namespace qro_gltf_test
