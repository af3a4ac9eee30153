#include "horizon/HorizonGrid.h"
#include "horizon/HorizonGrids.h"
#include "horizon/ObservationsFile.h"
#include "horizon/ReceivePath.h"
#include "platform/Exception.h"

#include "ChildProcess.h"
#include "RecordingSkyTable.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using enum SatelliteSystem;
using testing::ElementsAre;
using testing::HasSubstr;
using namespace std::chrono_literals;

const MapObservations::Time Noon{std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + 12h};

ino_t Inode(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class StoredObservationsTest : public testing::Test {
protected:
    std::string File(const std::string& name) const { return folder.File(name); }

    TemporaryFolder folder;
    HorizonGrids grids;
};

TEST_F(StoredObservationsTest, CountingGoesOnAfterARestartAndUnchangedFilesAreNotWritten) {
    grids.SetUp(folder.Path());
    grids.SaveHorizonGrid();
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Skyfence.dat"});

    grids.Observations.Add(5, 83, 40, 46, Noon);
    grids.Systems.ObtainObservations(GLONASS).Add(70, 200, 30, 0, Noon);
    grids.SaveHorizonGrid();
    EXPECT_EQ(FolderEntries(folder.Path()),
              (std::vector<std::string>{"Skyfence-GLONASS.obs", "Skyfence.dat", "Skyfence.obs"}));
    const ino_t combined = Inode(File("Skyfence.obs"));
    const ino_t glonass = Inode(File("Skyfence-GLONASS.obs"));
    grids.SaveHorizonGrid();
    EXPECT_EQ(Inode(File("Skyfence.obs")), combined);
    EXPECT_EQ(Inode(File("Skyfence-GLONASS.obs")), glonass);

    HorizonGrids restarted;
    restarted.SetUp(folder.Path());
    EXPECT_TRUE(restarted.Notes().empty());
    EXPECT_TRUE(restarted.Observations == grids.Observations);
    ASSERT_NE(restarted.Systems.FindObservations(GLONASS), nullptr);
    EXPECT_TRUE(*restarted.Systems.FindObservations(GLONASS) ==
                *grids.Systems.FindObservations(GLONASS));
    EXPECT_EQ(restarted.Systems.FindObservations(GPS), nullptr);
    EXPECT_EQ(restarted.Systems.Find(GLONASS), nullptr);

    restarted.Observations.Add(5, 83, 40, 44, Noon + 1s);
    restarted.SaveHorizonGrid();
    EXPECT_NE(Inode(File("Skyfence.obs")), combined);
    EXPECT_EQ(Inode(File("Skyfence-GLONASS.obs")), glonass);
    EXPECT_EQ(LoadObservations(File("Skyfence.obs"))->Cell(83, 40)->Heard(), 2u);
}

struct UnreadCase {
    const char* name;
    const char* file;
    std::optional<SatelliteSystem> system;
    // What lies there instead of observations.
    void (*make)(const std::string& path);
    const char* reason;
};

class UnreadObservationsTest : public StoredObservationsTest,
                               public testing::WithParamInterface<UnreadCase> {};

// The map itself loads as always; the unread file is kept as it was and replaced at the next
// save, so that the next start reads observations again and keeps nothing more.
TEST_P(UnreadObservationsTest, IsSetAsideWithANoteAndCountingStartsAfresh) {
    TStringList map = NewGrid();
    FoldReport(map, 83, 40, 46);
    map.SaveToFile(File("Skyfence.dat"));
    map.SaveToFile(File("Skyfence-GPS.dat"));
    const std::string path = File(GetParam().file);
    GetParam().make(path);
    const std::string stem = path.substr(0, path.size() - 4);

    grids.SetUp(folder.Path());
    EXPECT_EQ(grids.HorizonGrid, map);
    ASSERT_NE(grids.Systems.Find(GPS), nullptr);
    EXPECT_EQ(*grids.Systems.Find(GPS), map);
    const MapObservations* observations = GetParam().system
                                              ? grids.Systems.FindObservations(*GetParam().system)
                                              : &grids.Observations;
    ASSERT_NE(observations, nullptr);
    EXPECT_TRUE(observations->Empty());
    ASSERT_EQ(grids.Notes().size(), 1u);
    EXPECT_THAT(grids.Notes()[0], HasSubstr(path));
    EXPECT_THAT(grids.Notes()[0], HasSubstr(GetParam().reason));
    EXPECT_THAT(grids.Notes()[0], HasSubstr("kept as \"" + stem + "-kept-1.obs\""));
    EXPECT_THAT(grids.Notes()[0], HasSubstr("counting starts afresh"));
    EXPECT_TRUE(std::filesystem::exists(stem + "-kept-1.obs"));

    grids.Observations.Add(5, 83, 40, 46, Noon);
    grids.SaveHorizonGrid();
    HorizonGrids restarted;
    restarted.SetUp(folder.Path());
    EXPECT_TRUE(restarted.Notes().empty());
    EXPECT_EQ(restarted.Observations.ReportedCells(), 1u);
    EXPECT_FALSE(std::filesystem::exists(stem + "-kept-2.obs"));
}

void WriteCut(const std::string& path) {
    MapObservations observations;
    observations.Add(5, 83, 40, 46, Noon);
    const std::string bytes = ObservationsBytes(observations);
    WriteFileBytes(path, bytes.substr(0, bytes.size() / 2));
}

const UnreadCase UnreadCases[] = {
    {"cut_combined", "Skyfence.obs", std::nullopt, WriteCut, "checksum does not match"},
    {"empty_system", "Skyfence-GPS.obs", GPS,
     [](const std::string& path) { WriteFileBytes(path, ""); }, "empty"},
    {"folder", "Skyfence.obs", std::nullopt,
     [](const std::string& path) { std::filesystem::create_directory(path); }, "Is a directory"},
};

INSTANTIATE_TEST_SUITE_P(Files, UnreadObservationsTest, testing::ValuesIn(UnreadCases), CaseName());

// Set aside at the first save that can, and replaced only then.
TEST_F(StoredObservationsTest, FileThatCannotBeSetAsideIsNotReplacedBeforeItIs) {
    WriteFileBytes(File("Skyfence.obs"), "not observations");
    // The unprivileged child may then lift the folder's protection itself.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.Path().c_str(), UnprivilegedUser, UnprivilegedUser), 0);
    }
    const std::string message = RunUnprivileged([&] {
        ::chmod(folder.Path().c_str(), 0555);
        grids.SetUp(folder.Path());
        if (grids.Notes().size() != 1 ||
            grids.Notes()[0].find("could not be set aside") == std::string::npos ||
            grids.Notes()[0].find("it is not replaced") == std::string::npos) {
            throw Exception("the note does not say so");
        }
        ::chmod(folder.Path().c_str(), 0755);
        grids.Observations.Add(5, 83, 40, 46, Noon);
        grids.SaveHorizonGrid();
    });
    EXPECT_EQ(message, "");
    EXPECT_EQ(ReadFileBytes(File("Skyfence-kept-1.obs")), "not observations");
    EXPECT_EQ(LoadObservations(File("Skyfence.obs"))->ReportedCells(), 1u);
}

TEST_F(StoredObservationsTest, ObservationsThatCannotBeWrittenDoNotKeepTheMapsFromSaving) {
    grids.SetUp(folder.Path());
    std::filesystem::create_directory(File("Skyfence.obs"));
    WriteFileBytes(File("Skyfence.obs/keeps the folder"), "");
    grids.Observations.Add(5, 83, 40, 46, Noon);
    FoldReport(grids.Systems.Obtain(GPS), 83, 40, 46);
    grids.Systems.ObtainObservations(GPS).Add(5, 83, 40, 46, Noon);
    try {
        grids.SaveHorizonGrid();
        ADD_FAILURE() << "a folder was taken for the observations";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), HasSubstr(File("Skyfence.obs")));
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(File("Skyfence.dat")));
    EXPECT_TRUE(std::filesystem::is_regular_file(File("Skyfence-GPS.dat")));
    EXPECT_TRUE(std::filesystem::is_regular_file(File("Skyfence-GPS.obs")));
}

// The maps' files are what they were before observations were counted: a map of which only
// unheard reports came is not even written, and the others hold exactly the grid.
TEST_F(StoredObservationsTest, DataFilesStayByteForByteWhatTheyWere) {
    TStringList map = NewGrid();
    FoldReport(map, 100, 10, 38);
    const std::string before = map.Text();
    WriteFileBytes(File("Skyfence.dat"), before);
    WriteFileBytes(File("Skyfence-GPS.dat"), before);
    grids.SetUp(folder.Path());
    RecordingSkyTable table;
    ReceivePath path(grids, table, nullptr);
    path.SetMode(ReceiverMode::AllSystems);
    path.AppendBlock("$GPGSV,1,1,02,01,40,083,,02,10,100,,1*6A\r\n"
                     "$GLGSV,1,1,01,70,30,200,*6A\r\n");
    grids.SaveHorizonGrid();

    EXPECT_EQ(ReadFileBytes(File("Skyfence.dat")), before);
    EXPECT_EQ(ReadFileBytes(File("Skyfence-GPS.dat")), before);
    EXPECT_FALSE(std::filesystem::exists(File("Skyfence-GLONASS.dat")));
    EXPECT_EQ(LoadObservations(File("Skyfence.obs"))->ReportedCells(), 3u);
    EXPECT_EQ(LoadObservations(File("Skyfence-GPS.obs"))->ReportedCells(), 2u);
    EXPECT_EQ(LoadObservations(File("Skyfence-GLONASS.obs"))->Cell(200, 30)->Unheard(), 1u);

    path.AppendBlock("$GPGSV,1,1,01,01,40,083,47,1*6A\r\n");
    grids.SaveHorizonGrid();
    FoldReport(map, 83, 40, 47);
    EXPECT_EQ(ReadFileBytes(File("Skyfence.dat")), map.Text());
    EXPECT_EQ(ReadFileBytes(File("Skyfence-GPS.dat")), map.Text());
}

} // namespace
