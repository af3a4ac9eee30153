#include "TestNames.h"
#include "tools/replay/EReplayUsage.h"
#include "tools/replay/ReplayOptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct GoodCase {
    std::string name;
    std::vector<std::string> arguments;
    std::optional<std::string> startGrid;
    std::optional<std::string> picture;
    std::size_t blockSize;
    PlotSettings plot;
};

void PrintTo(const GoodCase& c, std::ostream* out) {
    *out << c.name;
}

const GoodCase GoodCases[] = {
    {"files_only", {"in.log", "out.dat"}, {}, {}, 64, {}},
    {"options_first", {"--block", "1", "--grid", "s.dat", "in.log", "out.dat"}, "s.dat", {}, 1, {}},
    {"picture_options",
     {"in.log", "--average", "10", "out.dat", "--polar", "--picture", "p.png", "--filled"},
     {},
     "p.png",
     64,
     {10, true, true}},
    {"largest_block", {"in.log", "out.dat", "--block", "67108864"}, {}, {}, 67108864, {}},
    {"dash_names", {"--", "-", "--out.dat"}, {}, {}, 64, {}},
    {"start_grid_is_output", {"in.log", "x.dat", "--grid", "x.dat"}, "x.dat", {}, 64, {}},
};

class GoodArgumentsTest : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodArgumentsTest, Parse) {
    const GoodCase& c = GetParam();
    const ReplayOptions options = ParseReplayArguments(c.arguments);
    EXPECT_FALSE(options.Help);
    EXPECT_EQ(options.StartGrid, c.startGrid);
    EXPECT_EQ(options.Picture, c.picture);
    EXPECT_EQ(options.BlockSize, c.blockSize);
    EXPECT_EQ(options.Plot.AverageWidth, c.plot.AverageWidth);
    EXPECT_EQ(options.Plot.Filled, c.plot.Filled);
    EXPECT_EQ(options.Plot.Polar, c.plot.Polar);
}

INSTANTIATE_TEST_SUITE_P(Replay, GoodArgumentsTest, testing::ValuesIn(GoodCases), CaseName());

TEST(ReplayArgumentsTest, FilesInOrder) {
    const ReplayOptions options = ParseReplayArguments({"--block", "9", "a.log", "b.dat"});
    EXPECT_EQ(options.Input, "a.log");
    EXPECT_EQ(options.Output, "b.dat");
    EXPECT_TRUE(ParseReplayArguments({"--help", "--block", "0"}).Help);
}

struct SystemsCase {
    std::string name;
    std::vector<std::string> arguments;
    bool allSystems;
    std::optional<SatelliteSystem> pictureSystem;
};

void PrintTo(const SystemsCase& c, std::ostream* out) {
    *out << c.name;
}

const SystemsCase SystemsCases[] = {
    {"gps_only_by_default", {"in.log", "out.dat"}, false, {}},
    {"all_systems", {"--all-systems", "in.log", "out.dat"}, true, {}},
    {"combined_picture", {"in.log", "out.dat", "--all-systems", "--picture", "p.png"}, true, {}},
    {"system_picture",
     {"in.log", "out.dat", "--system", "GLONASS", "--picture", "p.png", "--all-systems"},
     true,
     SatelliteSystem::GLONASS},
    {"system_in_any_case",
     {"in.log", "out.dat", "--all-systems", "--picture", "p.png", "--system", "beidou"},
     true,
     SatelliteSystem::BeiDou},
    {"output_without_extension", {"in.log", "out", "--all-systems"}, true, {}},
};

class SystemsArgumentsTest : public testing::TestWithParam<SystemsCase> {};

TEST_P(SystemsArgumentsTest, Parse) {
    const ReplayOptions options = ParseReplayArguments(GetParam().arguments);
    EXPECT_EQ(options.AllSystems, GetParam().allSystems);
    EXPECT_EQ(options.PictureSystem, GetParam().pictureSystem);
}

INSTANTIATE_TEST_SUITE_P(Replay, SystemsArgumentsTest, testing::ValuesIn(SystemsCases), CaseName());

struct BadCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string message; // a part of it
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.name;
}

const BadCase BadCases[] = {
    {"nothing", {}, "are needed"},
    {"no_output", {"in.log"}, "are needed"},
    {"third_file", {"a", "b", "c"}, "\"c\""},
    {"block_zero", {"a", "b", "--block", "0"}, "not \"0\""},
    {"block_huge", {"a", "b", "--block", "99999999999999999999999"}, "--block"},
    {"block_no_value", {"a", "b", "--block"}, "--block needs a value"},
    {"average_3", {"a", "b", "--picture", "p", "--average", "3"}, "not \"3\""},
    {"average_alone", {"a", "b", "--average", "2"}, "need --picture"},
    {"unknown", {"a", "b", "--colour"}, "\"--colour\""},
    {"twice", {"a", "b", "--grid", "g", "--grid", "h"}, "--grid is given twice"},
    {"empty_input", {"", "b"}, "the input"},
    {"empty_picture", {"a", "b", "--picture", ""}, "--picture"},
    {"output_is_input", {"a", "a"}, "different files"},
    {"picture_is_output", {"a", "b", "--picture", "b"}, "different files"},
    {"system_unknown",
     {"a", "b", "--all-systems", "--picture", "p", "--system", "Compass"},
     "GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC, not \"Compass\""},
    {"system_without_picture", {"a", "b", "--all-systems", "--system", "GPS"}, "need --picture"},
    {"system_without_all_systems",
     {"a", "b", "--picture", "p", "--system", "GPS"},
     "it needs --all-systems"},
    {"input_is_a_system_map", {"o-GPS.dat", "o.dat", "--all-systems"}, "\"o-GPS.dat\""},
    {"picture_is_a_system_map",
     {"a", "o.dat", "--all-systems", "--picture", "o-NavIC.dat"},
     "\"o-NavIC.dat\""},
    {"all_systems_twice", {"a", "b", "--all-systems", "--all-systems"}, "given twice"},
};

class BadArgumentsTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadArgumentsTest, AreRefusedWithTheReason) {
    try {
        ParseReplayArguments(GetParam().arguments);
        ADD_FAILURE() << "accepted";
    } catch (const EReplayUsage& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Replay, BadArgumentsTest, testing::ValuesIn(BadCases), CaseName());

} // namespace
