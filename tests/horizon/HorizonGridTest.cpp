#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"
#include "platform/Conversions.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Line `azimuth` of a new grid with `value` at `elevation`, built by hand.
std::string LineWithCell(int azimuth, int elevation, const std::string& value) {
    std::string line = std::to_string(azimuth);
    for (int e = 0; e <= 90; ++e) {
        line += "," + (e == elevation ? value : std::string("0"));
    }
    return line;
}

TEST(NewGrid, HasTheDataFileShape) {
    const TStringList grid = NewGrid();
    ASSERT_EQ(grid.Count(), 360u);
    EXPECT_EQ(grid.Get(0), LineWithCell(0, -1, ""));
    EXPECT_EQ(grid.Get(359), LineWithCell(359, -1, ""));
    EXPECT_EQ(SplitCommaText(grid.Get(7)).size(), 92u);
    EXPECT_EQ(grid.Text().size(), 67210u);
}

struct FoldCase {
    const char* name;
    std::string before;
    int elevation;
    int snr;
    std::string after;
};

class FoldReportTest : public testing::TestWithParam<FoldCase> {};

TEST_P(FoldReportTest, CellOnlyRises) {
    const FoldCase& c = GetParam();
    TStringList grid = NewGrid();
    grid.Put(83, c.before);
    FoldReport(grid, 83, c.elevation, c.snr);
    EXPECT_EQ(grid.Get(83), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FoldReportTest,
    testing::Values(
        FoldCase{"RaisesZero", LineWithCell(83, -1, ""), 40, 46, LineWithCell(83, 40, "46")},
        FoldCase{"EqualStays", LineWithCell(83, 40, "46"), 40, 46, LineWithCell(83, 40, "46")},
        FoldCase{"LowerStays", LineWithCell(83, 40, "46"), 40, 30, LineWithCell(83, 40, "46")},
        FoldCase{"ZeroElevation", LineWithCell(83, -1, ""), 0, 12, LineWithCell(83, 0, "12")},
        FoldCase{"Zenith", LineWithCell(83, -1, ""), 90, 99, LineWithCell(83, 90, "99")},
        FoldCase{"NoUpperLimit", LineWithCell(83, -1, ""), 5, 250, LineWithCell(83, 5, "250")},
        FoldCase{"NegativeSnrNeverRaises", LineWithCell(83, -1, ""), 5, -3,
                 LineWithCell(83, -1, "")},
        FoldCase{"UnchangedLineIsStillJoined", " 83 ,1,2", 1, 0, "83,1,2"},
        FoldCase{"HexCellIsANumber", "83,$10", 0, 17, "83,17"},
        FoldCase{"OtherCellsMayBeAnything", "83,5,x y", 0, 9, "83,9,x,y"}),
    CaseName());

struct FailCase {
    const char* name;
    std::string line;
    int azimuth;
    int elevation;
};

class FoldReportFailureTest : public testing::TestWithParam<FailCase> {};

TEST_P(FoldReportFailureTest, RaisesAndLeavesTheLine) {
    const FailCase& c = GetParam();
    TStringList grid = NewGrid();
    grid.Put(83, c.line);
    EXPECT_THROW(FoldReport(grid, c.azimuth, c.elevation, 50), Exception);
    EXPECT_EQ(grid.Get(83), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FoldReportFailureTest,
    testing::Values(FailCase{"CellNotANumber", LineWithCell(83, 40, "4x"), 83, 40},
                    FailCase{"CellEmpty", LineWithCell(83, 40, ""), 83, 40},
                    FailCase{"ShortLine", "83,1,2", 83, 40}, FailCase{"EmptyLine", "", 83, 0},
                    FailCase{"NoSuchLine", "83", 360, 0}, FailCase{"NegativeAzimuth", "83", -1, 0},
                    FailCase{"NegativeElevation", "83,1", 83, -1}),
    CaseName());

// The rule as written: split, raise the field, join; nullopt where it fails.
std::optional<std::string> SplitAndJoinFold(const std::string& line, int elevation, int snr) {
    std::vector<std::string> fields = SplitCommaText(line);
    const auto field = static_cast<std::size_t>(elevation) + 1;
    if (field >= fields.size()) {
        return std::nullopt;
    }
    try {
        if (StrToInt(fields[field]) < snr) {
            fields[field] = std::to_string(snr);
        }
    } catch (const EConvertError&) {
        return std::nullopt;
    }
    return JoinCommaText(fields);
}

// Plain lines are folded in place, which must give what splitting and joining gives.
TEST(FoldReport, InPlaceFoldMatchesSplitAndJoin) {
    const std::vector<std::string> lines = {",1,2",      "83,,5",   "83,1,2",    "83,-1,$A",
                                            "83,5,x",    "83,7,,",  "83,0099,1", "83, 1,2",
                                            "\"8\",1,2", "83,1,2,", "83,+4,5",   "83,1"};
    for (const std::string& line : lines) {
        for (int elevation = 0; elevation < 4; ++elevation) {
            TStringList grid(std::vector<std::string>(84, "0"));
            grid.Put(83, line);
            const std::optional<std::string> expected = SplitAndJoinFold(line, elevation, 3);
            if (expected) {
                EXPECT_NO_THROW(FoldReport(grid, 83, elevation, 3)) << line << " @" << elevation;
                EXPECT_EQ(grid.Get(83), *expected) << line << " @" << elevation;
            } else {
                EXPECT_THROW(FoldReport(grid, 83, elevation, 3), Exception)
                    << line << " @" << elevation;
                EXPECT_EQ(grid.Get(83), line) << line << " @" << elevation;
            }
        }
    }
}

TEST(FoldReport, GridWithoutLineForTheAzimuthFails) {
    TStringList grid = NewGrid();
    TStringList shorter;
    for (int a = 0; a < 359; ++a) {
        shorter.Add(grid.Get(static_cast<std::size_t>(a)));
    }
    EXPECT_THROW(FoldReport(shorter, 359, 10, 40), EListError);
    EXPECT_NO_THROW(FoldReport(shorter, 358, 10, 40));
}

} // namespace
