// SPDX-License-Identifier: MIT
// Replays each fuzz target's seed corpus and its regression files (inputs
// that once found a fault) through the target's own code, in the normal
// build with its sanitizers. A target's check that fails aborts the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace tremorline::fuzz {
namespace {

std::vector<std::string> ExpectedTargets() {
    std::vector<std::string> names;
    std::stringstream list(TREMORLINE_FUZZ_TARGET_NAMES);
    for (std::string name; std::getline(list, name, ',');) {
        names.push_back(name);
    }
    return names;
}

std::vector<unsigned char> Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, SeedsAndPastFindingsRunClean) {
    const std::string& name = GetParam();
    ASSERT_EQ(Targets().count(name), 1u) << name << " is listed but not built in";
    const std::filesystem::path root = TREMORLINE_FUZZ_DIR;
    int replayed = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const std::filesystem::path folder = root / kind / name;
        if (!std::filesystem::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) {
                continue;
            }
            SCOPED_TRACE(entry.path().string());
            const std::vector<unsigned char> bytes = Contents(entry.path());
            Targets().at(name)(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no seeds for " << name << ": run fuzz/make_corpus.py";
}

INSTANTIATE_TEST_SUITE_P(FuzzTargets, Replay, ::testing::ValuesIn(ExpectedTargets()),
                         [](const auto& param_info) { return param_info.param; });

}  // namespace
}  // namespace tremorline::fuzz
