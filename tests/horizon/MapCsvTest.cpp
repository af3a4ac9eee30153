#include "horizon/MapCsv.h"
#include "horizon/DifferenceMap.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonProfile.h"
#include "platform/Exception.h"

#include "CsvRows.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(MapCsv, CellsAreTheRaisedOnesAzimuthByAzimuthFromTheHorizonUp) {
    TStringList grid = NewGrid();
    FoldReport(grid, 359, 0, 12);
    FoldReport(grid, 7, 40, 33);
    FoldReport(grid, 7, 3, 41);
    grid.Put(8, "8,x,-4,,25"); // no number, below zero, empty: left out
    EXPECT_EQ(CsvRows(CellsCsv(grid)), (Rows{{"azimuth", "elevation", "snr"},
                                             {"7", "3", "41"},
                                             {"7", "40", "33"},
                                             {"8", "3", "25"},
                                             {"359", "0", "12"}}));
    EXPECT_EQ(CellsCsv(NewGrid()), "azimuth,elevation,snr\n");
}

TEST(MapCsv, ProfileHasEveryAzimuthAndLeavesUnknownsEmpty) {
    TStringList grid = NewGrid();
    FoldReport(grid, 1, 12, 35);
    FoldReport(grid, 1, 5, 29);
    FoldReport(grid, 359, 0, 30);
    const Rows rows = CsvRows(ProfileCsv(HorizonProfile(grid)));
    ASSERT_EQ(rows.size(), 361u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"azimuth", "elevation"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"0", ""}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"1", "12"}));
    EXPECT_EQ(rows[360], (std::vector<std::string>{"359", "0"}));
    for (std::size_t row = 1; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row][0], std::to_string(row - 1));
    }
}

struct ChangeCase {
    const char* name;
    std::string before, after;
    int difference;
};

class CellChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(CellChange, IsTheSecondMinusTheFirst) {
    TStringList before = NewGrid();
    TStringList after = NewGrid();
    before.Put(20, "20,0," + GetParam().before);
    after.Put(20, "20,0," + GetParam().after);
    const DifferenceMap map(before, after);
    EXPECT_EQ(map.At(20, 1), GetParam().difference);
    EXPECT_EQ(map.Largest(), std::abs(GetParam().difference));
    const Rows expected = GetParam().difference == 0
                              ? Rows{{"azimuth", "elevation", "difference"}}
                              : Rows{{"azimuth", "elevation", "difference"},
                                     {"20", "1", std::to_string(GetParam().difference)}};
    EXPECT_EQ(CsvRows(DifferenceCsv(map)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellChange,
    testing::Values(ChangeCase{"gained", "12", "40", 28}, ChangeCase{"lost", "40", "12", -28},
                    ChangeCase{"new", "0", "33", 33}, ChangeCase{"unchanged", "35", "35", 0},
                    ChangeCase{"damaged_before_is_zero", "x", "30", 30},
                    ChangeCase{"missing_after_is_zero", "30", "", -30},
                    ChangeCase{"cut_to_the_limit", "-2147483648", "2147483647", 99},
                    ChangeCase{"cut_to_the_lower_limit", "500", "0", -99}),
    CaseName());

TEST(MapCsv, DifferenceOfMapsOfUnequalLength) {
    TStringList before(std::vector<std::string>{"0,10"});
    TStringList after = NewGrid();
    FoldReport(after, 300, 90, 44);
    const DifferenceMap map(before, after);
    EXPECT_EQ(map.At(0, 0), -10);
    EXPECT_EQ(map.At(300, 90), 44);
    EXPECT_EQ(map.Largest(), 44);
}

// Each report: azimuth, elevation, SNR (0: the satellite was there and not heard).
struct Report {
    int azimuth, elevation, snr;
};

struct ObservedCellCase {
    const char* name;
    std::vector<Report> reports;
    std::vector<std::string> row; // of the cell of the first report
};

class ObservedCell : public testing::TestWithParam<ObservedCellCase> {};

TEST_P(ObservedCell, RowHasTheCountsTheMedianAndTheMaximum) {
    MapObservations observations;
    for (const Report& report : GetParam().reports) {
        observations.Add(7, report.azimuth, report.elevation, report.snr, {});
    }
    const Rows rows = CsvRows(ObservationsCsv(observations));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"azimuth", "elevation", "heard", "unheard",
                                                 "median", "max"}));
    EXPECT_EQ(rows[1], GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Observations, ObservedCell,
    testing::Values(
        ObservedCellCase{"one_heard", {{3, 4, 40}}, {"3", "4", "1", "0", "40", "40"}},
        ObservedCellCase{"never_heard", {{3, 4, 0}, {3, 4, 0}}, {"3", "4", "0", "2", "", ""}},
        ObservedCellCase{"even_count_takes_the_lower_middle",
                         {{0, 90, 45}, {0, 90, 20}, {0, 90, 0}, {0, 90, 30}, {0, 90, 44}},
                         {"0", "90", "4", "1", "30", "45"}},
        ObservedCellCase{"one_reflection_does_not_move_the_median",
                         {{359, 0, 12}, {359, 0, 12}, {359, 0, 50}},
                         {"359", "0", "3", "0", "12", "50"}}),
    CaseName());

struct SaveCase {
    const char* name;
    std::function<void(const std::string& path)> save;
    std::string header;
};

class SaveCsv : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveCsv, WritesTheTextOrNamesTheFile) {
    const TemporaryFolder folder;
    GetParam().save(folder.File("map.csv"));
    EXPECT_TRUE(ReadFileBytes(folder.File("map.csv")).starts_with(GetParam().header + "\n"));
    const std::string missing = folder.File("no/map.csv");
    try {
        GetParam().save(missing);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("\"" + missing + "\""));
    }
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"map.csv"});
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveCsv,
    testing::Values(
        SaveCase{"cells", [](const std::string& path) { SaveCellsCsv(path, NewGrid()); },
                 "azimuth,elevation,snr"},
        SaveCase{"profile",
                 [](const std::string& path) { SaveProfileCsv(path, HorizonProfile(NewGrid())); },
                 "azimuth,elevation"},
        SaveCase{"difference",
                 [](const std::string& path) {
                     SaveDifferenceCsv(path, DifferenceMap(NewGrid(), NewGrid()));
                 },
                 "azimuth,elevation,difference"}),
    CaseName());

} // namespace
