#pragma once

// What the qro gltf suites share: a scratch folder of this test process,
// removed when the tests end, and qro run as a user runs it.

#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace qro_gltf_test {

std::filesystem::path Scratch();
ChildProcess::Outcome Qro(const std::vector<std::string>& arguments);

} // namespace qro_gltf_test
