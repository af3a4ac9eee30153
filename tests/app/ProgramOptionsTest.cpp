#include "app/ProgramOptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct OptionsCase {
    std::vector<std::string> arguments;
    std::optional<std::string> folder; // what is kept; the arguments are refused without one
    bool refused = false;
};

class CommandLine : public testing::TestWithParam<OptionsCase> {};

TEST_P(CommandLine, KeepsTheDataFolderOrRefuses) {
    if (GetParam().refused) {
        EXPECT_THROW(ProgramOptions::Parse(GetParam().arguments), std::invalid_argument);
        return;
    }
    EXPECT_EQ(ProgramOptions::Parse(GetParam().arguments).dataFolder, GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(OptionsCase{{}, std::nullopt},
                    OptionsCase{{"--data-folder", "/srv/sky"}, "/srv/sky/"},
                    OptionsCase{{"--data-folder=/srv/sky/"}, "/srv/sky/"},
                    OptionsCase{{"--data-folder"}, std::nullopt, true},
                    OptionsCase{{"--data-folder="}, std::nullopt, true},
                    OptionsCase{{"Skyfence.dat"}, std::nullopt, true},
                    OptionsCase{{"--data-folder", "a", "--verbose"}, std::nullopt, true}));

} // namespace
