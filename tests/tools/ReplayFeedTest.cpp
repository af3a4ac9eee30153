#include "TemporaryFolder.h"
#include "TestNames.h"
#include "horizon/HorizonGrid.h"
#include "horizon/SatellitesInViewSentence.h"
#include "platform/CommaText.h"
#include "platform/Exception.h"
#include "tools/replay/FileBlocks.h"
#include "tools/replay/ReceptionReplay.h"
#include "tools/replay/SilentSatelliteTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> LogNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SKYFENCE_NMEA_DIR)) {
        if (entry.path().extension() == ".log") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadLog(const std::string& name) {
    return ReadFileBytes(std::string(SKYFENCE_NMEA_DIR) + "/" + name);
}

struct HandCut {
    TStringList grid = NewGrid();
    std::size_t positions = 0;
    std::size_t satellitesInView = 0;
};

// Independent of the data packets: each sentence runs from its start text to the first "*"
// after it.
HandCut CutByHand(std::string_view log, TStringList grid = NewGrid()) {
    HandCut cut;
    cut.grid = std::move(grid);
    SilentSatelliteTable table;
    const auto each = [log](std::string_view start, const auto& handle) {
        for (std::size_t at = log.find(start); at != std::string_view::npos;
             at = log.find(start, at)) {
            const std::size_t star = log.find('*', at + start.size());
            if (star == std::string_view::npos) {
                return;
            }
            handle(log.substr(at + start.size(), star - at - start.size()));
            at = star + 1;
        }
    };
    each("$GPRMC,", [&](std::string_view) { ++cut.positions; });
    each("$GPGSV,", [&](std::string_view body) {
        HandleSatellitesInView(body, table, cut.grid);
        ++cut.satellitesInView;
    });
    return cut;
}

class ReplayLogTest : public testing::TestWithParam<std::string> {};

TEST_P(ReplayLogTest, GridIsTheHandCutGridWhateverTheBlockSize) {
    const std::string log = ReadLog(GetParam());
    const HandCut expected = CutByHand(log);
    // A log that changes no cell would prove nothing.
    ASSERT_NE(expected.grid, NewGrid());

    for (const std::size_t blockSize :
         {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{4096}, log.size()}) {
        SCOPED_TRACE("block size " + std::to_string(blockSize));
        ReceptionReplay replay;
        replay.Feed(log, blockSize);
        EXPECT_EQ(replay.Grid(), expected.grid);
        EXPECT_EQ(replay.Grid().Text(), expected.grid.Text());
        EXPECT_EQ(replay.PositionSentences(), expected.positions);
        EXPECT_EQ(replay.SatellitesInViewSentences(), expected.satellitesInView);
    }
}

TEST_P(ReplayLogTest, StartGridKeepsItsCells) {
    TStringList start = NewGrid();
    FoldReport(start, 123, 45, 99);
    ReceptionReplay replay(start);
    replay.Feed(ReadLog(GetParam()), 64);

    EXPECT_EQ(replay.Grid(), CutByHand(ReadLog(GetParam()), start).grid);
    EXPECT_EQ(SplitCommaText(replay.Grid().Get(123)).at(1 + 45), "99");
}

INSTANTIATE_TEST_SUITE_P(Logs, ReplayLogTest, testing::ValuesIn(LogNames()),
                         [](const testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param.substr(0, param.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Untrusted input: noise with sentence starts and stars sprinkled in, onto a grid of junk.
TEST(ReceptionReplayTest, NoiseOntoJunkGridRaisesNothing) {
    std::mt19937 random(1289);
    std::string noise;
    const std::vector<std::string> pieces = {"$GPGSV,", "$GPRMC,", "*",
                                             ",",       "3,",      "99999999999,",
                                             "-1,",     "\r\n",    "$GPGSV,3,1,11,01,40,083,46"};
    for (int i = 0; i < 20000; ++i) {
        noise += random() % 3 == 0 ? pieces[random() % pieces.size()]
                                   : std::string(1, static_cast<char>(random()));
    }
    ReceptionReplay replay(TStringList({"junk", "", "7,x,,"}));
    EXPECT_NO_THROW(replay.Feed(noise, 13));
    EXPECT_EQ(replay.Grid().Count(), 3u);
    EXPECT_THROW(replay.Feed(noise, 0), Exception);
}

struct BlockCase {
    std::size_t fileSize;
    std::size_t blockSize;
};

void PrintTo(const BlockCase& c, std::ostream* out) {
    *out << c.fileSize << " bytes in blocks of " << c.blockSize;
}

class FileBlocksTest : public testing::TestWithParam<BlockCase> {};

// Blocks are cut across the reads' own chunks of 64 KiB.
TEST_P(FileBlocksTest, BlocksAreFullButTheLastAndMakeUpTheFile) {
    TemporaryFolder folder;
    std::string content(GetParam().fileSize, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 251);
    }
    WriteFileBytes(folder.File("f"), content);
    std::vector<std::string> blocks;
    ForEachFileBlock(folder.File("f"), GetParam().blockSize,
                     [&blocks](const std::string& block) { blocks.push_back(block); });

    std::string joined;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        joined += blocks[i];
        if (i + 1 < blocks.size()) {
            EXPECT_EQ(blocks[i].size(), GetParam().blockSize) << "block " << i;
        } else {
            EXPECT_GE(blocks[i].size(), 1u);
            EXPECT_LE(blocks[i].size(), GetParam().blockSize);
        }
    }
    EXPECT_EQ(joined, content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileBlocksTest,
                         testing::Values(BlockCase{0, 1}, BlockCase{1, 64}, BlockCase{65536, 1},
                                         BlockCase{65537, 7}, BlockCase{200000, 65536},
                                         BlockCase{200000, 70000}, BlockCase{131072, 1 << 20}));

using std::chrono::sys_days;
using std::chrono::sys_seconds;
using namespace std::chrono_literals;

const std::string Heard = "$GPGSV,3,1,11,01,40,083,46,02,17,308,41*74\r\n";

std::string PositionAt(const char* utc) {
    return std::string("$GPRMC,") + utc + ",A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n";
}

const sys_seconds LogTime = sys_days{std::chrono::year{2007} / 1 / 7} + 9h + 30min + 15s;
const sys_seconds StartTime = sys_days{std::chrono::year{2006} / 5 / 1};

struct ReplayTimeCase {
    const char* name;
    std::string log;
    // The last report of the observations the replay goes on from.
    std::optional<sys_seconds> start;
    sys_seconds first, last;
    std::chrono::seconds observed;
};

void PrintTo(const ReplayTimeCase& c, std::ostream* out) {
    *out << c.name;
}

class ReplayTimeTest : public testing::TestWithParam<ReplayTimeCase> {};

// A replay takes its time from the log only, however long it takes and whatever the computer's
// clock says.
TEST_P(ReplayTimeTest, ReportsAreTimedByTheLog) {
    const ReplayTimeCase& c = GetParam();
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{64}}) {
        SCOPED_TRACE(blockSize);
        ReceptionReplay replay;
        if (c.start) {
            replay.Observations().SetReception({c.start, c.start, 0s});
        }
        replay.Feed(c.log, blockSize);
        const MapObservations::Period& period = replay.Observations().Reception();
        EXPECT_EQ(period.First, c.start.value_or(c.first));
        EXPECT_EQ(period.Last, c.last);
        EXPECT_EQ(period.Observed, c.observed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Logs, ReplayTimeTest,
    testing::Values(
        ReplayTimeCase{"reports_before_the_first_time_take_it",
                       Heard + PositionAt("093015.00") + Heard + PositionAt("093017.00") + Heard,
                       {},
                       LogTime,
                       LogTime + 2s,
                       2s},
        ReplayTimeCase{"untimed_log_goes_on_at_the_last_time", Heard + Heard, StartTime, StartTime,
                       StartTime, 0s},
        ReplayTimeCase{"untimed_log_alone", Heard, {}, sys_seconds{}, sys_seconds{}, 0s}),
    CaseName());

TEST(FileBlocksTest, UnreadableFileNamesItself) {
    TemporaryFolder folder;
    for (const std::string& path : {folder.File("missing.log"), folder.Path()}) {
        try {
            ForEachFileBlock(path, 64, [](const std::string&) {});
            ADD_FAILURE() << path << " was read";
        } catch (const EFileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
}

} // namespace
