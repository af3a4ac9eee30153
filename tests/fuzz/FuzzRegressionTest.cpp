#include "fuzz/FuzzEntries.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Every input kept for a fuzz target goes through its entry again: the findings fixed so far,
// the hand-made seeds, and the real files its corpus starts from. A finding that comes back
// crashes this program or fails a promise the entry checks.

namespace {

namespace fs = std::filesystem;

const fs::path Source = SKYFENCE_SOURCE_DIR;
const fs::path Regressions = Source / "fuzz" / "regressions";

struct TargetCase {
    std::string name;
    FuzzEntry entry;
};

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& ending = "") {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename().string().ends_with(ending)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The real files the target's corpus is seeded with that every build has.
std::vector<fs::path> RealFiles(const std::string& target) {
    if (target == "satellites_in_view" || target == "position" || target == "data_packet") {
        return FilesIn(SKYFENCE_NMEA_DIR, ".log");
    }
    if (target == "bitmap") {
        return FilesIn(Source / "app" / "resources", ".bmp");
    }
    if (target == "version_resource") {
        std::vector<fs::path> files = FilesIn(Source / "tests" / "about" / "data");
        files.emplace_back(SKYFENCE_PROGRAM);
        return files;
    }
    return {};
}

std::vector<std::uint8_t> Bytes(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::vector<TargetCase> Targets() {
    std::vector<TargetCase> cases;
    for (const FuzzTarget& target : FuzzTargets()) {
        cases.push_back({std::string(target.name), target.entry});
    }
    return cases;
}

class FuzzRegression : public testing::TestWithParam<TargetCase> {};

TEST_P(FuzzRegression, EveryKeptInputPasses) {
    const TargetCase& c = GetParam();
    std::vector<fs::path> inputs = FilesIn(Regressions / c.name);
    for (const fs::path& seed : FilesIn(Source / "fuzz" / "seeds" / c.name)) {
        inputs.push_back(seed);
    }
    for (const fs::path& file : RealFiles(c.name)) {
        inputs.push_back(file);
    }
    ASSERT_FALSE(inputs.empty()) << "no input kept for " << c.name;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        ASSERT_TRUE(fs::is_regular_file(input));
        c.entry(Bytes(input));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, testing::ValuesIn(Targets()), CaseName());

// A folder of findings named after no target would never be replayed.
TEST(FuzzRegressions, FoldersNameTargets) {
    for (const fs::directory_entry& entry : fs::directory_iterator(Regressions)) {
        const std::string name = entry.path().filename().string();
        const auto targets = FuzzTargets();
        EXPECT_TRUE(std::any_of(targets.begin(), targets.end(), [&](const FuzzTarget& target) {
            return target.name == name;
        })) << name;
    }
}

} // namespace
