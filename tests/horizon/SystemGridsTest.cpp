#include "horizon/SystemGrids.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonGrids.h"
#include "platform/Exception.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using enum SatelliteSystem;
using testing::HasSubstr;

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

class SystemGridsTest : public testing::Test {
protected:
    std::string DataFile() const { return folder.File("Skyfence.dat"); }
    std::string SystemFile(const char* name) const {
        return folder.File(std::string("Skyfence-") + name + ".dat");
    }
    // A grid as a file holds it, with one cell raised.
    static TStringList Raised(int azimuth, int elevation, int snr) {
        TStringList grid = NewGrid();
        FoldReport(grid, azimuth, elevation, snr);
        return grid;
    }

    TemporaryFolder folder;
    SystemGrids systems;
};

TEST_F(SystemGridsTest, FilesLieBesideTheDataFileNamedAfterTheSystem) {
    systems.SetUp("/data/maps/Skyfence.dat");
    const std::pair<SatelliteSystem, const char*> files[] = {
        {GPS, "/data/maps/Skyfence-GPS.dat"},         {GLONASS, "/data/maps/Skyfence-GLONASS.dat"},
        {Galileo, "/data/maps/Skyfence-Galileo.dat"}, {BeiDou, "/data/maps/Skyfence-BeiDou.dat"},
        {QZSS, "/data/maps/Skyfence-QZSS.dat"},       {NavIC, "/data/maps/Skyfence-NavIC.dat"}};
    for (const auto& [system, file] : files) {
        EXPECT_EQ(systems.FileName(system), file);
    }
    EXPECT_EQ(SystemGrids::FileNameBeside("out.dat", GLONASS), "out-GLONASS.dat");
    EXPECT_EQ(SystemGrids::FileNameBeside("run.1/out", Galileo), "run.1/out-Galileo.dat");
}

TEST_F(SystemGridsTest, OnlySystemsThatGotASatelliteAreWrittenAndOnlyWhenChanged) {
    systems.SetUp(DataFile());
    for (const SatelliteSystem system : AllSatelliteSystems) {
        EXPECT_EQ(systems.Find(system), nullptr);
    }
    systems.Save();
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());

    FoldReport(systems.Obtain(Galileo), 83, 40, 46);
    ASSERT_NE(systems.Find(Galileo), nullptr);
    systems.Save();
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Skyfence-Galileo.dat"});
    EXPECT_EQ(ReadFileBytes(SystemFile("Galileo")), Raised(83, 40, 46).Text());

    // Nothing changed since: the next save leaves the file alone.
    std::filesystem::remove(SystemFile("Galileo"));
    systems.Save();
    EXPECT_FALSE(Exists(SystemFile("Galileo")));
}

TEST_F(SystemGridsTest, MapsReadBackAfterARestartAndAreNotRewrittenUntilChanged) {
    WriteFileBytes(SystemFile("BeiDou"), Raised(10, 20, 30).Text());
    WriteFileBytes(SystemFile("NavIC"), "not a grid\n");
    systems.SetUp(DataFile());
    ASSERT_NE(systems.Find(BeiDou), nullptr);
    EXPECT_EQ(*systems.Find(BeiDou), Raised(10, 20, 30));
    ASSERT_NE(systems.Find(NavIC), nullptr);
    EXPECT_EQ(systems.Find(NavIC)->Count(), 1u);
    EXPECT_EQ(systems.Find(GPS), nullptr);

    systems.Save();
    EXPECT_EQ(ReadFileBytes(SystemFile("NavIC")), "not a grid\n");

    FoldReport(systems.Obtain(BeiDou), 10, 20, 44);
    systems.Save();
    EXPECT_EQ(ReadFileBytes(SystemFile("BeiDou")), Raised(10, 20, 44).Text());
    EXPECT_EQ(ReadFileBytes(SystemFile("NavIC")), "not a grid\n");
}

TEST_F(SystemGridsTest, EveryMapIsTriedAndTheFirstFailureRaisedAfterwards) {
    systems.SetUp(DataFile());
    WriteFileBytes(SystemFile("GPS"), "protected\n");
    ::chmod(SystemFile("GPS").c_str(), 0444);
    FoldReport(systems.Obtain(GPS), 1, 1, 11);
    FoldReport(systems.Obtain(GLONASS), 2, 2, 22);
    try {
        systems.Save();
        ADD_FAILURE() << "a write-protected map was replaced";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), HasSubstr(SystemFile("GPS")));
    }
    EXPECT_EQ(ReadFileBytes(SystemFile("GPS")), "protected\n");
    EXPECT_EQ(ReadFileBytes(SystemFile("GLONASS")), Raised(2, 2, 22).Text());

    // The map that failed is still due; the one written is not.
    ::chmod(SystemFile("GPS").c_str(), 0644);
    std::filesystem::remove(SystemFile("GLONASS"));
    systems.Save();
    EXPECT_EQ(ReadFileBytes(SystemFile("GPS")), Raised(1, 1, 11).Text());
    EXPECT_FALSE(Exists(SystemFile("GLONASS")));
}

TEST_F(SystemGridsTest, MapFileThatCannotBeReadIsKeptBeforeItIsReplaced) {
    std::filesystem::create_directory(SystemFile("QZSS"));
    systems.SetUp(DataFile());
    ASSERT_NE(systems.Find(QZSS), nullptr);
    EXPECT_TRUE(systems.Find(QZSS)->Empty());
    systems.Obtain(QZSS) = NewGrid();
    systems.Save();
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("Skyfence-QZSS-kept-1.dat")));
    EXPECT_EQ(ReadFileBytes(SystemFile("QZSS")), NewGrid().Text());
}

// The window's grids: the systems' maps are set up and saved with the live grid.
// The live plot's choice: the combined map, a system's, or an empty one for a system not seen.
TEST(HorizonGridsLiveMap, GivesTheChosenMap) {
    TemporaryFolder folder;
    HorizonGrids grids;
    grids.SetUp(folder.Path());
    FoldReport(grids.HorizonGrid, 10, 10, 40);
    EXPECT_EQ(&grids.LiveMap(std::nullopt), &grids.HorizonGrid);
    EXPECT_EQ(grids.LiveMap(SatelliteSystem::Galileo), NewGrid());
    FoldReport(grids.Systems.Obtain(SatelliteSystem::Galileo), 20, 20, 35);
    EXPECT_EQ(&grids.LiveMap(SatelliteSystem::Galileo),
              grids.Systems.Find(SatelliteSystem::Galileo));
}

TEST_F(SystemGridsTest, LiveGridsSetUpAndSaveTheSystemsMapsBesideTheDataFile) {
    WriteFileBytes(SystemFile("GLONASS"), Raised(5, 5, 25).Text());
    HorizonGrids grids;
    grids.SetUp(folder.Path());
    ASSERT_NE(grids.Systems.Find(GLONASS), nullptr);
    EXPECT_EQ(*grids.Systems.Find(GLONASS), Raised(5, 5, 25));

    // The GPS-only setting folds into the live grid only: no map file is added or rewritten.
    FoldReport(grids.HorizonGrid, 7, 7, 27);
    ::chmod(SystemFile("GLONASS").c_str(), 0444);
    grids.SaveHorizonGrid();
    EXPECT_EQ(FolderEntries(folder.Path()),
              (std::vector<std::string>{"Skyfence-GLONASS.dat", "Skyfence.dat"}));

    // A live grid that cannot be written keeps no system's map from its save.
    ::chmod(SystemFile("GLONASS").c_str(), 0644);
    ::chmod(DataFile().c_str(), 0444);
    FoldReport(grids.Systems.Obtain(Galileo), 8, 8, 28);
    EXPECT_THROW(grids.SaveHorizonGrid(), EFileError);
    EXPECT_EQ(ReadFileBytes(SystemFile("Galileo")), Raised(8, 8, 28).Text());
}

} // namespace
