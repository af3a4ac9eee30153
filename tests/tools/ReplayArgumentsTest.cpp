#include "TemporaryFolder.h"
#include "TestNames.h"
#include "tools/replay/EReplayUsage.h"
#include "tools/replay/ReplayOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(ReplayArgumentsTest, MapExports) {
    const ReplayOptions plain = ParseReplayArguments({"in.log", "out.dat", "--picture", "p.png"});
    EXPECT_EQ(plain.Plot.Colours, Palette::Grey);
    EXPECT_FALSE(plain.Plot.ProfileLine);
    EXPECT_FALSE(plain.Annotate);
    EXPECT_EQ(plain.PictureWidth, 540);
    EXPECT_EQ(plain.PictureHeight, 273);
    EXPECT_EQ(plain.Plot.ProfileThreshold, 30);
    EXPECT_FALSE(plain.Cells || plain.Profile || plain.Compare || plain.Difference ||
                 plain.DifferenceCells);

    const ReplayOptions all = ParseReplayArguments(
        {"in.log",         "out.dat",   "--profile",    "h.csv",       "--cells",
         "c.csv",          "--picture", "p.png",        "--colour",    "--annotate",
         "--profile-line", "--size",    "1200x800",     "--threshold", "25",
         "--compare",      "out.dat",   "--difference", "d.png",       "--difference-cells",
         "d.csv"});
    EXPECT_EQ(all.Plot.Colours, Palette::Viridis);
    EXPECT_TRUE(all.Plot.ProfileLine);
    EXPECT_TRUE(all.Annotate);
    EXPECT_EQ(all.PictureWidth, 1200);
    EXPECT_EQ(all.PictureHeight, 800);
    EXPECT_EQ(all.Plot.ProfileThreshold, 25);
    EXPECT_EQ(all.Profile, "h.csv");
    EXPECT_EQ(all.Cells, "c.csv");
    EXPECT_EQ(all.Compare, "out.dat"); // read before the output is written
    EXPECT_EQ(all.Difference, "d.png");
    EXPECT_EQ(all.DifferenceCells, "d.csv");

    const ReplayOptions difference = ParseReplayArguments(
        {"in.log", "out.dat", "--compare", "old.dat", "--difference", "d.png", "--polar"});
    EXPECT_TRUE(difference.Plot.Polar);
    EXPECT_FALSE(difference.Picture);
}

struct SiteCase {
    std::string name;
    std::vector<std::string> arguments;
    std::optional<std::string> observations, report, mask;
    std::string siteName;
    int threshold;
    Palette colours;
};

void PrintTo(const SiteCase& c, std::ostream* out) {
    *out << c.name;
}

const SiteCase SiteCases[] = {
    {"none", {"logs/in.log", "out.dat"}, {}, {}, {}, "in.log", 30, Palette::Grey},
    {"report_named_by_the_log",
     {"/var/log/roof.nmea", "out.dat", "--report", "r.pdf", "--colour", "--threshold", "35"},
     {},
     "r.pdf",
     {},
     "roof.nmea",
     35,
     Palette::Viridis},
    {"report_with_site_name",
     {"in.log", "out.dat", "--site-name", "Roof, north mast", "--report", "r.html"},
     {},
     "r.html",
     {},
     "Roof, north mast",
     30,
     Palette::Grey},
    {"mask_with_threshold",
     {"in.log", "out.dat", "--mask", "m.aem", "--threshold", "25"},
     {},
     {},
     "m.aem",
     "in.log",
     25,
     Palette::Grey},
    {"all_together",
     {"in.log", "out.dat", "--all-systems", "--mask", "m.csv", "--report", "r.html",
      "--observations", "o.csv"},
     "o.csv",
     "r.html",
     "m.csv",
     "in.log",
     30,
     Palette::Grey},
};

class SiteArgumentsTest : public testing::TestWithParam<SiteCase> {};

TEST_P(SiteArgumentsTest, Parse) {
    const SiteCase& c = GetParam();
    const ReplayOptions options = ParseReplayArguments(c.arguments);
    EXPECT_EQ(options.Observations, c.observations);
    EXPECT_EQ(options.Report, c.report);
    EXPECT_EQ(options.Mask, c.mask);
    EXPECT_EQ(options.SiteName, c.siteName);
    EXPECT_EQ(options.Plot.ProfileThreshold, c.threshold);
    EXPECT_EQ(options.Plot.Colours, c.colours);
}

INSTANTIATE_TEST_SUITE_P(Replay, SiteArgumentsTest, testing::ValuesIn(SiteCases), CaseName());

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
    {"unknown", {"a", "b", "--colours"}, "\"--colours\""},
    {"twice", {"a", "b", "--grid", "g", "--grid", "h"}, "--grid is given twice"},
    {"empty_input", {"", "b"}, "the input"},
    {"empty_picture", {"a", "b", "--picture", ""}, "--picture"},
    {"output_is_input", {"a", "a"}, "is the same file as"},
    {"picture_is_output", {"a", "b", "--picture", "b"}, "is the same file as"},
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
    {"colour_alone", {"a", "b", "--colour"}, "it needs --picture or --report"},
    {"annotate_alone", {"a", "b", "--annotate", "--cells", "c"}, "they need --picture"},
    {"profile_line_alone", {"a", "b", "--profile-line"}, "they need --picture"},
    {"size_alone", {"a", "b", "--size", "600x300"}, "need --picture or --difference"},
    {"polar_with_cells_only", {"a", "b", "--cells", "c", "--polar"}, "need --picture or"},
    {"size_without_cross", {"a", "b", "--picture", "p", "--size", "600"}, "not \"600\""},
    {"size_too_small", {"a", "b", "--picture", "p", "--size", "239x300"}, "not \"239x300\""},
    {"size_too_large", {"a", "b", "--picture", "p", "--size", "600x8001"}, "8000x8000"},
    {"size_signed", {"a", "b", "--picture", "p", "--size", "+600x300"}, "--size takes"},
    {"size_huge", {"a", "b", "--picture", "p", "--size", "99999999999x300"}, "--size takes"},
    {"threshold_alone", {"a", "b", "--threshold", "20", "--cells", "c"}, "needs --profile"},
    {"threshold_zero", {"a", "b", "--profile", "p", "--threshold", "0"}, "not \"0\""},
    {"threshold_hundred", {"a", "b", "--profile", "p", "--threshold", "100"}, "from 1 to 99"},
    {"threshold_text", {"a", "b", "--profile", "p", "--threshold", "3O"}, "not \"3O\""},
    {"compare_alone", {"a", "b", "--compare", "c.dat"}, "--compare needs --difference"},
    {"difference_alone", {"a", "b", "--difference", "d.png"}, "need --compare"},
    {"difference_cells_alone", {"a", "b", "--difference-cells", "d.csv"}, "need --compare"},
    {"cells_is_profile", {"a", "b", "--cells", "t", "--profile", "t"}, "is the same file as"},
    {"cells_is_output", {"a", "b", "--cells", "b"}, "is the same file as"},
    {"difference_is_picture",
     {"a", "b", "--picture", "p", "--compare", "c", "--difference", "p"},
     "is the same file as"},
    {"compare_is_a_written_table",
     {"a", "b", "--cells", "c", "--compare", "c", "--difference-cells", "d"},
     "is the same file as"},
    {"cells_is_a_system_map", {"a", "o.dat", "--all-systems", "--cells", "o-GPS.dat"}, "o-GPS"},
    {"empty_profile", {"a", "b", "--profile", ""}, "--profile needs a file name"},
    {"empty_observations", {"a", "b", "--observations", ""}, "--observations needs a file name"},
    {"empty_mask", {"a", "b", "--mask", ""}, "--mask needs a file name"},
    {"empty_site_name", {"a", "b", "--report", "r.pdf", "--site-name", ""}, "not an empty one"},
    {"site_name_alone", {"a", "b", "--site-name", "Roof"}, "it needs --report"},
    {"threshold_with_observations_only",
     {"a", "b", "--observations", "o.csv", "--threshold", "20"},
     "--report or --mask"},
    {"input_is_the_output_observations", {"o.obs", "o.dat"}, "the observations of the output"},
    {"report_is_the_mask", {"a", "b", "--report", "r", "--mask", "r"}, "the mask \"r\""},
    {"mask_is_the_output_observations",
     {"a", "o.dat", "--mask", "o.obs"},
     "the mask \"o.obs\" is the same file as the observations of the output"},
    {"picture_is_the_observations_of_a_system",
     {"a", "o.dat", "--all-systems", "--picture", "o-GLONASS.obs"},
     "the observations of GLONASS"},
    {"observations_table_is_the_cells",
     {"a", "b", "--cells", "c", "--observations", "c"},
     "the observations table \"c\" is the same file as the cells"},
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

// Names that reach one file by other paths: "%" stands for the test's folder.
struct SharedFileCase {
    std::string name;
    // Made first: "f" a file, "f>t" a symbolic link to t, "f=t" a hard link of t.
    std::vector<std::string> made;
    std::vector<std::string> arguments;
    std::string message; // a part of it; empty when the command line is taken
};

void PrintTo(const SharedFileCase& c, std::ostream* out) {
    *out << c.name;
}

const SharedFileCase SharedFileCases[] = {
    {"output_is_input_by_another_name",
     {"in.log"},
     {"%in.log", "%./in.log"},
     "the output \"%./in.log\" is the same file as the input \"%in.log\""},
    {"output_links_to_input", {"in.log", "o.dat>in.log"}, {"%in.log", "%o.dat"}, "same file"},
    {"picture_is_a_hard_link_of_input",
     {"in.log", "p.png=in.log"},
     {"%in.log", "%o.dat", "--picture", "%p.png"},
     "the picture \"%p.png\" is the same file as the input"},
    {"new_cells_and_profile_by_two_names",
     {},
     {"%in.log", "%o.dat", "--cells", "%c.csv", "--profile", "%./c.csv"},
     "the profile \"%./c.csv\" is the same file as the cells \"%c.csv\""},
    {"picture_links_to_the_new_output",
     {"p.png>o.dat"},
     {"%in.log", "%o.dat", "--picture", "%p.png"},
     "same file"},
    {"picture_is_a_system_map_by_another_name",
     {},
     {"%in.log", "%o.dat", "--all-systems", "--picture", "%./o-GPS.dat"},
     "the map of GPS \"%o-GPS.dat\""},
    {"cells_replace_a_start_map_of_a_system",
     {"s-GPS.dat"},
     {"%in.log", "%o.dat", "--all-systems", "--grid", "%s.dat", "--cells", "%s-GPS.dat"},
     "the start map of GPS \"%s-GPS.dat\""},
    {"compared_with_a_system_map",
     {"o-GPS.dat"},
     {"%in.log", "%o.dat", "--all-systems", "--compare", "%o-GPS.dat", "--difference-cells",
      "%d.csv"},
     "same file"},
    {"start_grid_is_the_output_through_a_link",
     {"o.dat", "s.dat>o.dat"},
     {"%in.log", "%o.dat", "--grid", "%s.dat"},
     ""},
    {"compared_with_the_output_by_another_name",
     {"o.dat"},
     {"%in.log", "%o.dat", "--compare", "%./o.dat", "--difference", "%d.png"},
     ""},
    {"systems_start_from_their_own_maps",
     {"o.dat", "o-GPS.dat"},
     {"%in.log", "%o.dat", "--all-systems", "--grid", "%./o.dat"},
     ""},
    {"observations_go_on_in_their_own_files",
     {"o.dat", "o.obs", "o-GPS.dat", "o-GPS.obs"},
     {"%in.log", "%o.dat", "--all-systems", "--grid", "%./o.dat"},
     ""},
    {"cells_replace_the_start_observations",
     {"s.dat", "s.obs"},
     {"%in.log", "%o.dat", "--grid", "%s.dat", "--cells", "%s.obs"},
     "the cells \"%s.obs\" is the same file as the start observations \"%s.obs\""},
    {"report_replaces_the_start_observations_of_a_system",
     {"s.dat", "s-QZSS.obs"},
     {"%in.log", "%o.dat", "--all-systems", "--grid", "%s.dat", "--report", "%./s-QZSS.obs"},
     "is the same file as the start observations of QZSS"},
    {"start_observations_of_a_system_are_the_combined_output",
     {"o.obs", "s-GPS.obs>o.obs"},
     {"%in.log", "%o.dat", "--all-systems", "--grid", "%s.dat"},
     "same file"},
    {"start_observations_not_there_are_not_read",
     {"s.dat"},
     {"%in.log", "%o.dat", "--grid", "%s.dat", "--mask", "%s.obs"},
     ""},
};

class SharedFileTest : public testing::TestWithParam<SharedFileCase> {};

TEST_P(SharedFileTest, AnOutputNeverReplacesAnotherFileOfTheRun) {
    const TemporaryFolder folder;
    const auto expand = [&folder](std::string text) {
        for (std::size_t at = 0; (at = text.find('%', at)) != std::string::npos;) {
            text.replace(at, 1, folder.Path());
            at += folder.Path().size();
        }
        return text;
    };
    for (const std::string& made : GetParam().made) {
        const std::size_t mark = made.find_first_of(">=");
        const std::string path = folder.File(made.substr(0, mark));
        if (mark == std::string::npos) {
            WriteFileBytes(path, "kept");
        } else if (made[mark] == '>') {
            std::filesystem::create_symlink(made.substr(mark + 1), path);
        } else {
            std::filesystem::create_hard_link(folder.File(made.substr(mark + 1)), path);
        }
    }
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(expand(argument));
    }
    try {
        ParseReplayArguments(arguments);
        EXPECT_EQ(GetParam().message, "") << "accepted";
    } catch (const EReplayUsage& error) {
        EXPECT_NE(GetParam().message, "") << error.what();
        EXPECT_NE(std::string(error.what()).find(expand(GetParam().message)), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Replay, SharedFileTest, testing::ValuesIn(SharedFileCases), CaseName());

} // namespace
