#include "horizon/SatellitesInViewSentence.h"
#include "NamedSatelliteTable.h"
#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"
#include "platform/Formatting.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The window's satellite table: the count label and rows 01 to 12, nothing else.
class FakeSatelliteTable : public NamedSatelliteTable {
public:
    FakeSatelliteTable() {
        captions["LabelNumSatellites"] = "Number of satellites in view ...";
        for (int row = 1; row <= 12; ++row) {
            captions[Format("LabelSat%.2d", row)] = "old";
            positions[Format("ProgressBarSat%.2d", row)] = 29;
        }
    }
    void SetLabelCaption(const std::string& name, const std::string& caption) override {
        if (const auto it = captions.find(name); it != captions.end()) {
            it->second = caption;
        }
    }
    void SetProgressPosition(const std::string& name, int position) override {
        if (const auto it = positions.find(name); it != positions.end()) {
            it->second = position;
        }
    }
    std::string Row(int row) const { return captions.at(Format("LabelSat%.2d", row)); }
    int Bar(int row) const { return positions.at(Format("ProgressBarSat%.2d", row)); }

    std::map<std::string, std::string> captions;
    std::map<std::string, int> positions;
};

int Cell(const TStringList& grid, int azimuth, int elevation) {
    return std::stoi(SplitCommaText(grid.Get(static_cast<std::size_t>(azimuth)))
                         .at(static_cast<std::size_t>(elevation) + 1));
}

int RaisedCells(const TStringList& grid) {
    int raised = 0;
    for (int a = 0; a < GridAzimuths; ++a) {
        for (int e = 0; e < GridElevations; ++e) {
            raised += Cell(grid, a, e) != 0 ? 1 : 0;
        }
    }
    return raised;
}

const std::string Example = "3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45";

class SatellitesInView : public testing::Test {
protected:
    void Handle(const std::string& body) { HandleSatellitesInView(body, table, grid); }

    FakeSatelliteTable table;
    TStringList grid = NewGrid();
};

TEST_F(SatellitesInView, ExampleFillsRowsOneToFourAndRaisesFourCells) {
    Handle(Example);
    EXPECT_EQ(table.captions["LabelNumSatellites"], "11 satellites in view");
    EXPECT_EQ(table.Row(1), "PRN:01   SNR:46 dB   AZ:83  EL:40");
    EXPECT_EQ(table.Row(2), "PRN:02   SNR:41 dB   AZ:308  EL:17");
    EXPECT_EQ(table.Row(3), "PRN:12   SNR:39 dB   AZ:344  EL:7");
    EXPECT_EQ(table.Row(4), "PRN:14   SNR:45 dB   AZ:228  EL:22");
    EXPECT_EQ(table.Bar(1), 46);
    EXPECT_EQ(table.Bar(4), 45);
    EXPECT_EQ(table.Row(5), "old");
    EXPECT_EQ(Cell(grid, 83, 40), 46);
    EXPECT_EQ(Cell(grid, 308, 17), 41);
    EXPECT_EQ(Cell(grid, 344, 7), 39);
    EXPECT_EQ(Cell(grid, 228, 22), 45);
    EXPECT_EQ(RaisedCells(grid), 4);
}

struct IgnoredCase {
    const char* name;
    std::string body;
};

class IgnoredSentence : public SatellitesInView, public testing::WithParamInterface<IgnoredCase> {};

TEST_P(IgnoredSentence, ChangesNothing) {
    const FakeSatelliteTable before = table;
    Handle(GetParam().body);
    EXPECT_EQ(table.captions, before.captions);
    EXPECT_EQ(table.positions, before.positions);
    EXPECT_EQ(grid, NewGrid());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IgnoredSentence,
    testing::Values(IgnoredCase{"CycleOfTwo", "2" + Example.substr(1)},
                    IgnoredCase{"CycleWrittenAs03", "03" + Example.substr(1)},
                    IgnoredCase{"OneGroup", "3,3,9,22,10,100,40"},
                    IgnoredCase{"TwoGroupsLastSnrEmpty", "3,3,10,22,10,100,40,23,11,200,"},
                    IgnoredCase{"ThreeGroupsLastSnrEmpty",
                                "3,3,11,22,10,100,40,23,11,200,41,24,12,300,"},
                    IgnoredCase{"TwentyFields", Example + ",1"}, IgnoredCase{"Empty", ""},
                    IgnoredCase{"MessageNumberNotANumber", "3,x,11,01,40,083,46,02,17,308,41"},
                    IgnoredCase{"MessageNumberEmpty", "3,,11,01,40,083,46,02,17,308,41"},
                    IgnoredCase{"InViewNotANumber", "3,1,1a,01,40,083,46,02,17,308,41"}),
    CaseName());

TEST_F(SatellitesInView, EmptyFourthSnrDropsTheFourthGroup) {
    Handle("3,2,11,04,10,020,33,05,25,100,40,09,50,200,44,10,03,330,");
    EXPECT_EQ(table.Row(5), "PRN:04   SNR:33 dB   AZ:20  EL:10");
    EXPECT_EQ(table.Row(6), "PRN:05   SNR:40 dB   AZ:100  EL:25");
    EXPECT_EQ(table.Row(7), "PRN:09   SNR:44 dB   AZ:200  EL:50");
    EXPECT_EQ(table.Row(8), "");
    EXPECT_EQ(table.Bar(8), 0);
    EXPECT_EQ(table.Row(4), "old");
    EXPECT_EQ(RaisedCells(grid), 3);
}

TEST_F(SatellitesInView, ThreeGroupsClearTheFourthRow) {
    Handle("3,3,11,22,10,100,40,23,11,200,41,24,12,300,42");
    EXPECT_EQ(table.Row(11), "PRN:24   SNR:42 dB   AZ:300  EL:12");
    EXPECT_EQ(table.Row(12), "");
    EXPECT_EQ(RaisedCells(grid), 3);
}

TEST_F(SatellitesInView, EmptySnrShowsZeroAndLeavesTheGrid) {
    Handle("3,1,11,01,40,083,46,02,17,308,,12,07,344,39,14,22,228,45");
    EXPECT_EQ(table.Row(2), "PRN:02   SNR:0 dB   AZ:308  EL:17");
    EXPECT_EQ(table.Bar(2), 0);
    EXPECT_EQ(Cell(grid, 308, 17), 0);
    EXPECT_EQ(RaisedCells(grid), 3);
}

TEST_F(SatellitesInView, EmptyOrInvalidPrnClearsTheRowAndLeavesTheGrid) {
    Handle("3,1,11,,40,083,46,x,17,308,41,00,07,344,39,14,22,228,45");
    for (const int row : {1, 2, 3}) {
        EXPECT_EQ(table.Row(row), "") << row;
        EXPECT_EQ(table.Bar(row), 0) << row;
    }
    EXPECT_EQ(Cell(grid, 83, 40), 0);
    EXPECT_EQ(RaisedCells(grid), 1);
}

struct ClampCase {
    const char* name;
    std::string elevation, azimuth;
    int shownElevation, shownAzimuth;
};

class Clamping : public SatellitesInView, public testing::WithParamInterface<ClampCase> {};

TEST_P(Clamping, ShownAndFoldedClamped) {
    const ClampCase& c = GetParam();
    Handle("3,1,11,07," + c.elevation + "," + c.azimuth + ",38,08,10,10,30");
    EXPECT_EQ(table.Row(1),
              Format("PRN:07   SNR:38 dB   AZ:%d  EL:%d", c.shownAzimuth, c.shownElevation));
    EXPECT_EQ(Cell(grid, c.shownAzimuth, c.shownElevation), 38);
}

INSTANTIATE_TEST_SUITE_P(Bounds, Clamping,
                         testing::Values(ClampCase{"ElevationAbove", "95", "100", 90, 100},
                                         ClampCase{"AzimuthFullCircle", "20", "360", 20, 359},
                                         ClampCase{"BothNegative", "-5", "-5", 0, 0},
                                         ClampCase{"ExplicitZeroIsADirection", "00", "000", 0, 0},
                                         ClampCase{"Huge", "99999999999", "2147483647", 0, 359}),
                         CaseName());

struct UnplacedCase {
    const char* name;
    std::string elevation, azimuth;
};

class Unplaced : public SatellitesInView, public testing::WithParamInterface<UnplacedCase> {};

// A satellite heard but not placed: in the table, not in the grid.
TEST_P(Unplaced, ShownWithoutDirectionAndNotFolded) {
    const UnplacedCase& c = GetParam();
    Handle("3,1,11,07," + c.elevation + "," + c.azimuth + ",38,08,10,10,30");
    EXPECT_EQ(table.Row(1), "PRN:07   SNR:38 dB   position unknown");
    EXPECT_EQ(table.Bar(1), 38);
    EXPECT_EQ(Cell(grid, 10, 10), 30);
    EXPECT_EQ(RaisedCells(grid), 1);
}

INSTANTIATE_TEST_SUITE_P(EmptyFields, Unplaced,
                         testing::Values(UnplacedCase{"BothEmpty", "", ""},
                                         UnplacedCase{"ElevationEmpty", "", "120"},
                                         UnplacedCase{"AzimuthEmpty", "35", ""}),
                         CaseName());

TEST_F(SatellitesInView, StrongSignalFillsTheBarAndTheCell) {
    Handle("3,1,11,01,40,083,60,02,17,308,41");
    EXPECT_EQ(table.Row(1), "PRN:01   SNR:60 dB   AZ:83  EL:40");
    EXPECT_EQ(table.Bar(1), 60);
    EXPECT_EQ(Cell(grid, 83, 40), 60);
}

TEST_F(SatellitesInView, MessageFourTouchesNoRowButFolds) {
    const FakeSatelliteTable before = table;
    Handle("3,4,16,01,40,083,46,02,17,308,41");
    EXPECT_EQ(table.captions["LabelNumSatellites"], "16 satellites in view");
    table.captions["LabelNumSatellites"] = before.captions.at("LabelNumSatellites");
    EXPECT_EQ(table.captions, before.captions);
    EXPECT_EQ(table.positions, before.positions);
    EXPECT_EQ(Cell(grid, 83, 40), 46);
    EXPECT_EQ(Cell(grid, 308, 17), 41);
}

TEST_F(SatellitesInView, ExtremeMessageNumbersNeitherOverflowNorTouchRows) {
    const FakeSatelliteTable before = table;
    for (const char* message : {"2147483647", "-2147483648", "0"}) {
        Handle(std::string("3,") + message + ",11,01,40,083,46,02,17,308,41");
    }
    table.captions["LabelNumSatellites"] = before.captions.at("LabelNumSatellites");
    EXPECT_EQ(table.captions, before.captions);
    EXPECT_EQ(Cell(grid, 83, 40), 46);
}

TEST_F(SatellitesInView, BadGridCellStopsTheSentenceAfterItsRow) {
    std::vector<std::string> line = SplitCommaText(grid.Get(308));
    line[18] = "x";
    grid.Put(308, JoinCommaText(line));
    Handle(Example);
    EXPECT_EQ(table.Row(1), "PRN:01   SNR:46 dB   AZ:83  EL:40");
    EXPECT_EQ(table.Row(2), "PRN:02   SNR:41 dB   AZ:308  EL:17");
    EXPECT_EQ(table.Row(3), "");
    EXPECT_EQ(table.Row(4), "");
    EXPECT_EQ(Cell(grid, 83, 40), 46);
    EXPECT_EQ(Cell(grid, 344, 7), 0);
    EXPECT_EQ(Cell(grid, 228, 22), 0);
}

TEST_F(SatellitesInView, InViewCountLosesItsLeadingZero) {
    Handle("3,1,09,01,40,083,46,02,17,308,41");
    EXPECT_EQ(table.captions["LabelNumSatellites"], "9 satellites in view");
}

} // namespace
