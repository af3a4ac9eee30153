#include "CsvRows.h"
#include "SpawnedProgram.h"
#include "TemporaryFolder.h"
#include "TestNames.h"
#include "horizon/DifferenceMap.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonMask.h"
#include "horizon/MapCsv.h"
#include "horizon/MapPicture.h"
#include "horizon/ObservationsFile.h"
#include "horizon/OpenProfile.h"
#include "horizon/PaletteColours.h"
#include "horizon/SkyClasses.h"
#include "platform/CommaText.h"
#include "platform/TStringList.h"
#include "tools/replay/HorizonPicture.h"
#include "tools/replay/ReceptionReplay.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

// The built tool, run as a user would run it.

namespace {

const std::string Log = std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log";

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The program may write files of at most `fileSizeLimit` bytes when one is given.
ToolRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                   std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    const TemporaryFolder capture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, capture.File("out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, capture.File("err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t child = SpawnProgram(program, arguments, actions, fileSizeLimit);
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "cannot run " << program;
        return run;
    }
    // A crash is no exit code at all.
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileBytes(capture.File("out"));
    run.err = ReadFileBytes(capture.File("err"));
    return run;
}

ToolRun RunTool(const std::vector<std::string>& arguments,
                std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    return RunProgram(SKYFENCE_REPLAY_TOOL, arguments, fileSizeLimit);
}

std::set<std::string> Files(const TemporaryFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
        names.insert(entry.path().lexically_relative(folder.Path()).string());
    }
    return names;
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ReplayToolTest, WritesTheDataFileOfALog) {
    const TemporaryFolder folder;
    const ToolRun run = RunTool({Log, folder.File("out.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Files(folder), (std::set<std::string>{"out.dat", "out.obs"}));
    const std::string data = ReadFileBytes(folder.File("out.dat"));
    EXPECT_GE(data.size(), 67210u);
    TStringList grid;
    grid.SetText(data);
    EXPECT_EQ(data, grid.Text()); // CR LF after every line
    EXPECT_EQ(grid.Count(), static_cast<std::size_t>(GridAzimuths));
    EXPECT_NE(grid, NewGrid());
}

TEST(ReplayToolTest, StartsFromTheGivenGrid) {
    const TemporaryFolder folder;
    TStringList start = NewGrid();
    FoldReport(start, 300, 2, 99);
    start.SaveToFile(folder.File("start.dat"));
    ASSERT_EQ(RunTool({Log, folder.File("plain.dat")}).exitCode, 0);

    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--grid", folder.File("start.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    TStringList grid;
    grid.LoadFromFile(folder.File("out.dat"));
    TStringList expected;
    expected.LoadFromFile(folder.File("plain.dat"));
    FoldReport(expected, 300, 2, 99);
    EXPECT_EQ(grid, expected);
    EXPECT_EQ(SplitCommaText(grid.Get(300)).at(1 + 2), "99");
}

const std::string MultiLog = std::string(SKYFENCE_TEST_DATA_DIR) + "/nmea-multi/ublox-8.log";

TEST(ReplayToolTest, AllSystemsWritesEachSystemsMapBesideTheOutput) {
    const TemporaryFolder folder;
    ReceptionReplay expected(ReceiverMode::AllSystems);
    expected.FeedFile(MultiLog, 64);

    ASSERT_EQ(RunTool({MultiLog, folder.File("gps-only.dat")}).exitCode, 0);
    const ToolRun run = RunTool({MultiLog, folder.File("out.dat"), "--all-systems"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Files(folder), (std::set<std::string>{"gps-only.dat", "gps-only.obs", "out.dat",
                                                    "out.obs", "out-GPS.dat", "out-GPS.obs",
                                                    "out-GLONASS.dat", "out-GLONASS.obs"}));
    EXPECT_EQ(ReadFileBytes(folder.File("gps-only.dat")), NewGrid().Text());
    EXPECT_EQ(ReadFileBytes(folder.File("out.dat")), expected.Grid().Text());
    EXPECT_NE(expected.Grid(), NewGrid());
    for (const SatelliteSystem system : {SatelliteSystem::GPS, SatelliteSystem::GLONASS}) {
        ASSERT_NE(expected.Systems().Find(system), nullptr);
        EXPECT_EQ(ReadFileBytes(folder.File(std::string("out-") + SystemName(system) + ".dat")),
                  expected.Systems().Find(system)->Text());
    }
}

TEST(ReplayToolTest, AllSystemsStartsEachSystemFromItsMapBesideTheStartGrid) {
    const TemporaryFolder folder;
    TStringList glonass = NewGrid();
    FoldReport(glonass, 300, 2, 99);
    glonass.SaveToFile(folder.File("start-GLONASS.dat"));
    NewGrid().SaveToFile(folder.File("start-NavIC.dat"));
    NewGrid().SaveToFile(folder.File("start.dat"));

    const ToolRun run = RunTool(
        {MultiLog, folder.File("out.dat"), "--all-systems", "--grid", folder.File("start.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Files(folder).contains("out-NavIC.dat"));
    TStringList grid;
    grid.LoadFromFile(folder.File("out-GLONASS.dat"));
    EXPECT_EQ(SplitCommaText(grid.Get(300)).at(1 + 2), "99");
    EXPECT_EQ(ReadFileBytes(folder.File("out-NavIC.dat")), NewGrid().Text());
}

TEST(ReplayToolTest, PictureOfOneSystemShowsThatSystemsMap) {
    const TemporaryFolder folder;
    ReceptionReplay expected(ReceiverMode::AllSystems);
    expected.FeedFile(MultiLog, 64);
    const ToolRun run = RunTool({MultiLog, folder.File("out.dat"), "--all-systems", "--picture",
                                 folder.File("sky.png"), "--system", "glonass", "--polar"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    PlotSettings polar;
    polar.Polar = true;
    const std::string picture = ReadFileBytes(folder.File("sky.png"));
    EXPECT_EQ(picture,
              HorizonPicturePng(*expected.Systems().Find(SatelliteSystem::GLONASS), polar));
    EXPECT_NE(picture, HorizonPicturePng(expected.Grid(), polar));
}

TEST(ReplayToolTest, PictureOfASystemWithoutAMapWritesNothing) {
    const TemporaryFolder folder;
    const ToolRun run = RunTool({MultiLog, folder.File("out.dat"), "--all-systems", "--picture",
                                 folder.File("sky.png"), "--system", "Galileo"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Files(folder), std::set<std::string>{});
    EXPECT_NE(run.err.find("Galileo"), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
}

struct PictureCase {
    std::string name;
    std::vector<std::string> options;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

class ReplayPictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(ReplayPictureTest, WritesAPngOfThePlotSize) {
    const TemporaryFolder folder;
    std::vector<std::string> arguments{Log, folder.File("out.dat"), "--picture",
                                       folder.File("sky.png")};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const ToolRun run = RunTool(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Files(folder), (std::set<std::string>{"out.dat", "out.obs", "sky.png"}));
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(folder.File("sky.png")), "PNG"));
    EXPECT_EQ(picture.size(), QSize(540, 273));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ReplayPictureTest,
    testing::Values(PictureCase{"rectangular", {}}, PictureCase{"polar", {"--polar"}},
                    PictureCase{"filled_average", {"--filled", "--average", "5", "--block", "1"}}),
    CaseName());

TStringList ReadGrid(const std::string& path) {
    TStringList grid;
    grid.LoadFromFile(path);
    return grid;
}

TEST(ReplayToolTest, ProfileCellsAndColourPicture) {
    const TemporaryFolder folder;
    const ToolRun run =
        RunTool({Log, folder.File("out.dat"), "--profile", folder.File("h.csv"), "--cells",
                 folder.File("c.csv"), "--picture", folder.File("sky.png"), "--colour"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Files(folder),
              (std::set<std::string>{"out.dat", "out.obs", "h.csv", "c.csv", "sky.png"}));
    const TStringList grid = ReadGrid(folder.File("out.dat"));
    EXPECT_EQ(ReadFileBytes(folder.File("c.csv")), CellsCsv(grid));
    EXPECT_EQ(Lines(ReadFileBytes(folder.File("c.csv"))), 1 + 14); // the log's raised cells
    EXPECT_EQ(ReadFileBytes(folder.File("h.csv")), ProfileCsv(HorizonProfile(grid)));
    PlotSettings colour;
    colour.Colours = Palette::Viridis;
    EXPECT_EQ(ReadFileBytes(folder.File("sky.png")), HorizonPicturePng(grid, colour));
}

TEST(ReplayToolTest, ThresholdAndSizeShapeTheProfileAndThePicture) {
    const TemporaryFolder folder;
    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--profile", folder.File("h.csv"),
                                 "--threshold", "20", "--picture", folder.File("sky.png"), "--size",
                                 "800x500", "--polar", "--profile-line", "--annotate"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const TStringList grid = ReadGrid(folder.File("out.dat"));
    EXPECT_EQ(ReadFileBytes(folder.File("h.csv")), ProfileCsv(HorizonProfile(grid, 20)));
    EXPECT_NE(HorizonProfile(grid, 20), HorizonProfile(grid));
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(folder.File("sky.png")), "PNG"));
    EXPECT_EQ(picture.size(), QSize(800, 500));
    const QRect bar = MapPicture(QSize(800, 500), true).ScaleBar();
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.top()), PaletteColour(Palette::Grey, 40));
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.bottom()), PaletteColour(Palette::Grey, 0));
}

TEST(ReplayToolTest, DifferenceFromTheMapComparedWith) {
    const TemporaryFolder folder;
    TStringList before = NewGrid();
    FoldReport(before, 10, 10, 60); // gone in the new map
    before.SaveToFile(folder.File("before.dat"));
    const ToolRun run =
        RunTool({Log, folder.File("out.dat"), "--compare", folder.File("before.dat"),
                 "--difference", folder.File("d.png"), "--difference-cells", folder.File("d.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const TStringList after = ReadGrid(folder.File("out.dat"));
    const std::string cells = ReadFileBytes(folder.File("d.csv"));
    EXPECT_EQ(cells, DifferenceCsv(DifferenceMap(before, after)));
    EXPECT_NE(cells.find("\n10,10,-60\n"), std::string::npos) << cells;
    EXPECT_NE(cells.find("\n51,39,31\n"), std::string::npos) << cells; // gained from the log
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(folder.File("d.png")), "PNG"));
    EXPECT_EQ(picture.size(), QSize(540, 273));
    const QRect bar = MapPicture(QSize(540, 273), false).ScaleBar();
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.top()), GainedColour);
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.bottom()), LostColour);
}

using Rows = CsvRowList;

MapObservations ReadObservations(const std::string& path) {
    std::optional<MapObservations> observations = LoadObservations(path);
    EXPECT_TRUE(observations) << path;
    return observations.value_or(MapObservations());
}

// Every cell reported, in the map's order; where something was heard the strongest SNR is the
// map's cell, and where nothing was the median and the maximum are empty.
TEST(ReplayToolTest, ObservationsTableHasEveryReportedCellAndAgreesWithTheMap) {
    const TemporaryFolder folder;
    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--observations",
                                 folder.File("o.csv"), "--cells", folder.File("c.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Files(folder), (std::set<std::string>{"out.dat", "out.obs", "o.csv", "c.csv"}));
    const std::string table = ReadFileBytes(folder.File("o.csv"));
    EXPECT_EQ(table, ObservationsCsv(ReadObservations(folder.File("out.obs"))));
    const Rows rows = CsvRows(table);
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"azimuth", "elevation", "heard", "unheard",
                                                 "median", "max"}));
    std::string heardCells = "azimuth,elevation,snr\n";
    std::pair<int, int> previous{-1, -1};
    int neverHeard = 0;
    for (std::size_t at = 1; at < rows.size(); ++at) {
        const std::vector<std::string>& row = rows[at];
        ASSERT_EQ(row.size(), 6u) << at;
        const std::pair<int, int> cell{std::stoi(row[0]), std::stoi(row[1])};
        EXPECT_LT(previous, cell);
        previous = cell;
        EXPECT_GT(std::stoul(row[2]) + std::stoul(row[3]), 0u) << at;
        EXPECT_EQ(row[2] == "0", row[4].empty()) << at;
        EXPECT_EQ(row[2] == "0", row[5].empty()) << at;
        if (row[2] == "0") {
            ++neverHeard;
        } else {
            EXPECT_LE(std::stoi(row[4]), std::stoi(row[5])) << at;
            heardCells += row[0] + "," + row[1] + "," + row[5] + "\n";
        }
    }
    EXPECT_EQ(heardCells, ReadFileBytes(folder.File("c.csv")));
    EXPECT_GT(neverHeard, 0); // the log has satellites in view that are not heard
}

std::vector<std::string> ObservationsFiles(const TemporaryFolder& folder, const std::string& stem) {
    std::vector<std::string> files{folder.File(stem + ".obs")};
    for (const char* system : {"GPS", "GLONASS"}) {
        files.push_back(folder.File(stem + "-" + system + ".obs"));
    }
    return files;
}

// A log replayed in two halves, the second from the first's map, counts what the whole does,
// for the combined map and each system's.
TEST(ReplayToolTest, StartGridsObservationsGoOn) {
    const TemporaryFolder folder;
    std::ifstream log(MultiLog);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line + "\n");
    }
    std::string first, second;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        (at < lines.size() / 2 ? first : second) += lines[at];
    }
    WriteFileBytes(folder.File("first.log"), first);
    WriteFileBytes(folder.File("second.log"), second);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{MultiLog, folder.File("whole.dat")},
          {folder.File("first.log"), folder.File("halves.dat")},
          {folder.File("second.log"), folder.File("halves.dat"), "--grid",
           folder.File("halves.dat")}}) {
        std::vector<std::string> allSystems = arguments;
        allSystems.push_back("--all-systems");
        const ToolRun run = RunTool(allSystems);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
    const std::vector<std::string> whole = ObservationsFiles(folder, "whole");
    const std::vector<std::string> halves = ObservationsFiles(folder, "halves");
    for (std::size_t map = 0; map < whole.size(); ++map) {
        SCOPED_TRACE(whole[map]);
        const MapObservations observations = ReadObservations(whole[map]);
        EXPECT_GT(observations.ReportedCells(), 0u);
        EXPECT_EQ(ReadObservations(halves[map]), observations);
    }
}

struct DamagedCase {
    std::string name;
    std::string start;  // the start grid, beside its damaged observations
    std::string output; // the output map
    std::string kept;   // where the damaged observations are then; "" where they were
};

void PrintTo(const DamagedCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedStartObservationsTest : public testing::TestWithParam<DamagedCase> {};

// A start grid's damaged observations do not stop the replay: it says so and counts afresh,
// setting them aside when the output's observations replace them.
TEST_P(DamagedStartObservationsTest, AreToldAndCountingStartsAfresh) {
    const DamagedCase& c = GetParam();
    const TemporaryFolder folder;
    NewGrid().SaveToFile(folder.File(c.start + ".dat"));
    WriteFileBytes(folder.File(c.start + ".obs"), "damaged");
    ASSERT_EQ(RunTool({Log, folder.File("plain.dat")}).exitCode, 0);
    const ToolRun run =
        RunTool({Log, folder.File(c.output + ".dat"), "--grid", folder.File(c.start + ".dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("skyfence-replay: warning: ")) << run.err;
    EXPECT_NE(run.err.find("\"" + folder.File(c.start + ".obs") + "\""), std::string::npos)
        << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(ReadObservations(folder.File(c.output + ".obs")),
              ReadObservations(folder.File("plain.obs")));
    const std::string damaged = c.kept.empty() ? c.start + ".obs" : c.kept;
    EXPECT_EQ(ReadFileBytes(folder.File(damaged)), "damaged");
    if (!c.kept.empty()) {
        EXPECT_NE(run.err.find("\"" + folder.File(c.kept) + "\""), std::string::npos) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Replay, DamagedStartObservationsTest,
                         testing::Values(DamagedCase{"beside_another_map", "start", "out", ""},
                                         DamagedCase{"replaced_by_the_output", "out", "out",
                                                     "out-kept-1.obs"}),
                         CaseName());

struct ReportCase {
    std::string name;
    std::string file;
    std::vector<std::string> options;
    // In the HTML, or in the PDF's text.
    std::vector<std::string> texts;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class ReplayReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReplayReportTest, WritesTheSitesReport) {
    const TemporaryFolder folder;
    std::vector<std::string> arguments{MultiLog, folder.File("out.dat"), "--all-systems",
                                       "--report", folder.File(GetParam().file)};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const ToolRun run = RunTool(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Files(folder).contains(GetParam().file));
    const std::string report = ReadFileBytes(folder.File(GetParam().file));
    std::string text = report;
    if (GetParam().file.ends_with(".pdf")) {
        EXPECT_TRUE(report.starts_with("%PDF-"));
        const ToolRun pdftotext =
            RunProgram("/usr/bin/pdftotext", {folder.File(GetParam().file), "-"});
        ASSERT_EQ(pdftotext.exitCode, 0) << pdftotext.err;
        text = pdftotext.out;
    } else {
        EXPECT_NE(report.find("data:image/png;base64,"), std::string::npos);
    }
    for (const std::string& expected : GetParam().texts) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replay, ReplayReportTest,
    testing::Values(ReportCase{"pdf", "site.pdf", {"--site-name", "North mast"}, {"North mast"}},
                    ReportCase{"html_named_by_the_log",
                               "site.html",
                               {"--colour", "--threshold", "25"},
                               {"ublox-8.log", "GLONASS"}}),
    CaseName());

struct MaskCase {
    std::string name;
    std::string file;
    int threshold;
    std::string firstLine; // empty when no azimuth is open and the mask is refused
};

void PrintTo(const MaskCase& c, std::ostream* out) {
    *out << c.name;
}

class ReplayMaskTest : public testing::TestWithParam<MaskCase> {};

// The mask of the open profile of the observations written beside the map.
TEST_P(ReplayMaskTest, WritesTheOpenProfileAsAMask) {
    const MaskCase& c = GetParam();
    const TemporaryFolder folder;
    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--mask", folder.File(c.file),
                                 "--threshold", std::to_string(c.threshold)});
    if (c.firstLine.empty()) {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(Lines(run.err), 1) << run.err;
        EXPECT_EQ(Files(folder), std::set<std::string>{});
        return;
    }
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Files(folder), (std::set<std::string>{"out.dat", "out.obs", c.file}));
    const HorizonMask expected(
        OpenProfile(SkyClasses(ReadObservations(folder.File("out.obs")), c.threshold)));
    const std::string mask = ReadFileBytes(folder.File(c.file));
    EXPECT_EQ(mask, c.file.ends_with(".aem") ? expected.AzElMask() : expected.Csv());
    EXPECT_TRUE(mask.starts_with(c.firstLine)) << mask;
    EXPECT_LT(expected.Interpolated().size(), 360u);
}

INSTANTIATE_TEST_SUITE_P(Replay, ReplayMaskTest,
                         testing::Values(MaskCase{"csv", "mask.csv", 30, "# horizon mask"},
                                         MaskCase{"azelmask", "mask.aem", 25, "stk.v.11.0"},
                                         MaskCase{"nothing_open", "mask.csv", 99, ""}),
                         CaseName());

TEST(ReplayToolTest, RefusesToReplaceTheLogItReads) {
    const TemporaryFolder folder;
    std::filesystem::copy_file(Log, folder.File("in.log"));
    const ToolRun run = RunTool({folder.File("in.log"), folder.Path() + "./in.log"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("is the same file as the input"), std::string::npos) << run.err;
    EXPECT_EQ(Files(folder), std::set<std::string>{"in.log"});
    EXPECT_EQ(ReadFileBytes(folder.File("in.log")), ReadFileBytes(Log));
}

// The smallest picture has room for the plot and its annotations in either layout; the
// rectangular plot is then narrower and taller than the map's cells.
TEST(ReplayToolTest, SmallestAnnotatedPictureAndDifference) {
    const TemporaryFolder folder;
    NewGrid().SaveToFile(folder.File("before.dat"));
    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--picture", folder.File("sky.png"),
                                 "--annotate", "--size", "240x160", "--compare",
                                 folder.File("before.dat"), "--difference", folder.File("d.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"sky.png", "d.png"}) {
        QImage picture;
        ASSERT_TRUE(picture.load(QString::fromStdString(folder.File(name)), "PNG"));
        EXPECT_EQ(picture.size(), QSize(240, 160)) << name;
    }
}

TStringList GridOfTheLog() {
    ReceptionReplay replay;
    replay.FeedFile(Log, 64);
    return replay.Grid();
}

struct PictureSize {
    const char* name;
    int width;
    int height;
};

// Every size in both layouts, the plot alone; a polar sky keeps its disc whole, in a square of
// the narrower side at the top left, white beside it.
TEST(HorizonPicture, EverySizeInBothLayouts) {
    const TStringList grid = GridOfTheLog();
    const PictureSize sizes[] = {{"smallest", 240, 160},
                                 {"window", 540, 273},
                                 {"tall", 240, 8000},
                                 {"wide", 8000, 240},
                                 {"taller_than_wide", 300, 1000}};
    for (const PictureSize& size : sizes) {
        for (const bool polar : {false, true}) {
            SCOPED_TRACE(std::string(size.name) + (polar ? " polar" : " rectangular"));
            PlotSettings settings;
            settings.Polar = polar;
            QImage picture;
            ASSERT_TRUE(picture.loadFromData(QByteArray::fromStdString(HorizonPicturePng(
                                                 grid, settings, size.width, size.height)),
                                             "PNG"));
            ASSERT_EQ(picture.size(), QSize(size.width, size.height));
            if (!polar) {
                continue;
            }
            const int side = std::min(size.width, size.height);
            QImage square;
            ASSERT_TRUE(square.loadFromData(
                QByteArray::fromStdString(HorizonPicturePng(grid, settings, side, side)), "PNG"));
            EXPECT_EQ(picture.copy(0, 0, side, side).convertToFormat(QImage::Format_RGB32),
                      square.convertToFormat(QImage::Format_RGB32));
            const QImage beside = size.width > side
                                      ? picture.copy(side, 0, size.width - side, size.height)
                                      : picture.copy(0, side, size.width, size.height - side);
            QImage white(beside.size(), QImage::Format_RGB32);
            white.fill(Qt::white);
            EXPECT_EQ(beside.convertToFormat(QImage::Format_RGB32), white);
        }
    }
}

// Past the file size limit a write fails as on a full disk: the tool names the file and writes
// none of them, instead of being killed.
TEST(ReplayToolTest, FileSizeLimitIsReportedAndNothingWritten) {
    const TemporaryFolder folder;
    const ToolRun run = RunTool({Log, folder.File("out.dat"), "--cells", folder.File("c.csv"),
                                 "--picture", folder.File("sky.png")},
                                4096);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("\"" + folder.File("out.dat") + "\": File too large"), std::string::npos)
        << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(Files(folder), std::set<std::string>{});
}

struct FailureCase {
    std::string name;
    // "%" stands for the test's folder.
    std::vector<std::string> arguments;
    std::string named; // the file the message must name
    int exitCode;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

const FailureCase FailureCases[] = {
    {"missing_input", {"%missing.log", "%out.dat"}, "%missing.log", 1},
    {"input_is_folder", {"%", "%out.dat"}, "%", 1},
    {"output_folder_missing", {"LOG", "%no/out.dat"}, "%no/out.dat", 1},
    {"picture_folder_missing", {"LOG", "%out.dat", "--picture", "%no/p.png"}, "%no/p.png", 1},
    {"missing_start", {"LOG", "%out.dat", "--grid", "%start.dat"}, "%start.dat", 1},
    {"missing_compared",
     {"LOG", "%out.dat", "--compare", "%old.dat", "--difference", "%d.png"},
     "%old.dat",
     1},
    {"cells_folder_missing", {"LOG", "%out.dat", "--cells", "%no/c.csv"}, "%no/c.csv", 1},
    {"difference_folder_missing",
     {"LOG", "%out.dat", "--compare", "/dev/null", "--difference-cells", "%no/d.csv", "--profile",
      "%p.csv"},
     "%no/d.csv",
     1},
    {"size_3x3", {"LOG", "%out.dat", "--picture", "%p.png", "--size", "3x3"}, "", 2},
    {"no_output", {"LOG"}, "", 2},
    {"block_0", {"LOG", "%out.dat", "--block", "0"}, "", 2},
    {"average_3", {"LOG", "%out.dat", "--picture", "%p.png", "--average", "3"}, "", 2},
};

std::string Expand(const std::string& text, const TemporaryFolder& folder) {
    if (text == "LOG") {
        return Log;
    }
    return text.starts_with('%') ? folder.Path() + text.substr(1) : text;
}

class ReplayFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(ReplayFailureTest, SaysWhyOnOneLineAndWritesNothing) {
    const TemporaryFolder folder;
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(Expand(argument, folder));
    }
    const ToolRun run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err;
    EXPECT_EQ(Files(folder), std::set<std::string>{});
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("skyfence-replay: ")) << run.err;
    if (GetParam().exitCode == 1) {
        EXPECT_EQ(Lines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("\"" + Expand(GetParam().named, folder) + "\": "), std::string::npos)
            << run.err;
    } else {
        EXPECT_EQ(Lines(run.err), 2) << run.err;
        EXPECT_NE(run.err.find("\nusage: skyfence-replay INPUT OUTPUT.dat"), std::string::npos)
            << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Replay, ReplayFailureTest, testing::ValuesIn(FailureCases), CaseName());

} // namespace
