#include "tools/sim/SimulatorOptions.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SimOptions, Taken) {
    const auto options = ParseSimulatorOptions(
        {"--replay", "a.log", "--rate", "1e6", "--loop", "--seed", "42", "--link", "x"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->link, "x");
    EXPECT_EQ(options->replay, "a.log");
    EXPECT_EQ(options->bytesPerSecond, 1e6);
    EXPECT_TRUE(options->loop);
    EXPECT_EQ(options->seed, 42u);
    EXPECT_FALSE(options->allSystems);
    EXPECT_EQ(ParseSimulatorOptions({"--link", "x", "--speed", "0.5"})->speed, 0.5);
    EXPECT_TRUE(ParseSimulatorOptions({"--all-systems", "--link", "x"})->allSystems);
}

struct RejectedCase {
    const char* name;
    std::vector<std::string> arguments;
};

class SimOptionsRejected : public testing::TestWithParam<RejectedCase> {};

TEST_P(SimOptionsRejected, NotTaken) {
    EXPECT_FALSE(ParseSimulatorOptions(GetParam().arguments));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SimOptionsRejected,
    testing::Values(
        RejectedCase{"NoLink", {"--speed", "2"}}, RejectedCase{"LinkWithoutPath", {"--link"}},
        RejectedCase{"Stray", {"--link", "x", "y"}},
        RejectedCase{"Twice", {"--link", "x", "--link", "y"}},
        RejectedCase{"ZeroSpeed", {"--link", "x", "--speed", "0"}},
        RejectedCase{"InfiniteSpeed", {"--link", "x", "--speed", "inf"}},
        RejectedCase{"SpeedAboveTheLimit", {"--link", "x", "--speed", "1.1e6"}},
        RejectedCase{"SpeedWithUnit", {"--link", "x", "--speed", "2x"}},
        RejectedCase{"NegativeSeed", {"--link", "x", "--seed", "-1"}},
        RejectedCase{"LoopWithoutReplay", {"--link", "x", "--loop"}},
        RejectedCase{"AllSystemsWithReplay", {"--link", "x", "--replay", "a", "--all-systems"}},
        RejectedCase{"AllSystemsTwice", {"--link", "x", "--all-systems", "--all-systems"}},
        RejectedCase{"AllSystemsWithValue", {"--link", "x", "--all-systems", "yes"}},
        RejectedCase{"ZeroRate", {"--link", "x", "--replay", "a", "--rate", "0"}}),
    CaseName());

} // namespace
