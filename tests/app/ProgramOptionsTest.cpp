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
                    OptionsCase{{"--data-folder", "a", "--verbose"}, std::nullopt, true},
                    OptionsCase{{"--http", "8080", "--data-folder", "/srv/sky"}, "/srv/sky/"}));

struct WebOptionsCase {
    std::vector<std::string> arguments;
    std::optional<std::string> http = std::nullopt;
    std::optional<std::string> token = std::nullopt;
    bool position = false;
    bool refused = false;
};

class WebCommandLine : public testing::TestWithParam<WebOptionsCase> {};

TEST_P(WebCommandLine, KeepsTheWebPageOptionsOrRefuses) {
    const WebOptionsCase& expected = GetParam();
    if (expected.refused) {
        EXPECT_THROW(ProgramOptions::Parse(expected.arguments), std::invalid_argument);
        return;
    }
    const ProgramOptions options = ProgramOptions::Parse(expected.arguments);
    EXPECT_EQ(options.http, expected.http);
    EXPECT_EQ(options.httpToken, expected.token);
    EXPECT_EQ(options.httpPosition, expected.position);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, WebCommandLine,
    testing::Values(WebOptionsCase{{}}, WebOptionsCase{{"--http", "8080"}, "8080"},
                    WebOptionsCase{
                        {"--http=0.0.0.0:8080", "--http-token", "/srv/token", "--http-position"},
                        "0.0.0.0:8080",
                        "/srv/token",
                        true},
                    WebOptionsCase{{"--http-token=/srv/token"}, std::nullopt, "/srv/token"},
                    WebOptionsCase{{"--http"}, std::nullopt, std::nullopt, false, true},
                    WebOptionsCase{{"--http="}, std::nullopt, std::nullopt, false, true},
                    WebOptionsCase{{"--http-token"}, std::nullopt, std::nullopt, false, true},
                    WebOptionsCase{{"--http-position=1"}, std::nullopt, std::nullopt, false, true},
                    WebOptionsCase{{"--httpd", "8080"}, std::nullopt, std::nullopt, false, true}));

} // namespace
