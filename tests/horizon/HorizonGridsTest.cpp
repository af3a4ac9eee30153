#include "horizon/HorizonGrids.h"
#include "horizon/HorizonGrid.h"
#include "platform/Exception.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <ostream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing::HasSubstr;

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Every cell raised to `snr`: the data file as large as a grid of such values makes it.
TStringList FullGrid(int snr) {
    TStringList grid = NewGrid();
    for (int a = 0; a < GridAzimuths; ++a) {
        for (int e = 0; e < GridElevations; ++e) {
            FoldReport(grid, a, e, snr);
        }
    }
    return grid;
}

class HorizonGridsTest : public testing::Test {
protected:
    std::string DataFile() const { return folder.File("Skyfence.dat"); }
    std::string Kept(int number) const {
        return folder.File("Skyfence-kept-" + std::to_string(number) + ".dat");
    }

    TemporaryFolder folder;
    HorizonGrids grids;
};

TEST_F(HorizonGridsTest, FirstStartMakesANewGridAndNoFileUntilTheFirstSave) {
    grids.SetUp(folder.Path());
    EXPECT_EQ(grids.DataFileName, DataFile());
    EXPECT_EQ(grids.HorizonGrid, NewGrid());
    EXPECT_TRUE(grids.LoadedGrid.Empty());
    EXPECT_TRUE(grids.LoadedFileName.empty());
    EXPECT_FALSE(Exists(DataFile()));
    grids.SaveHorizonGrid();
    EXPECT_EQ(std::filesystem::file_size(DataFile()), 67210u);
}

TEST_F(HorizonGridsTest, SavedGridReadsBackAfterARestart) {
    grids.SetUp(folder.Path());
    FoldReport(grids.HorizonGrid, 83, 40, 46);
    grids.SaveHorizonGrid();
    HorizonGrids restarted;
    restarted.SetUp(folder.Path());
    EXPECT_EQ(restarted.HorizonGrid, grids.HorizonGrid);
}

TEST_F(HorizonGridsTest, LineFeedFileReadsAlikeAndIsWrittenBackWithCrLf) {
    const TStringList grid = NewGrid();
    std::string lineFeeds;
    for (const std::string& line : grid.Lines()) {
        lineFeeds += line + "\n";
    }
    WriteFileBytes(DataFile(), lineFeeds);
    grids.SetUp(folder.Path());
    EXPECT_EQ(grids.HorizonGrid, grid);
    grids.SaveHorizonGrid();
    EXPECT_EQ(ReadFileBytes(DataFile()), grid.Text());
}

TEST_F(HorizonGridsTest, ShortFileIsKeptAsItIsAndNotCopied) {
    TStringList grid = NewGrid();
    TStringList shorter;
    for (std::size_t a = 0; a < 359; ++a) {
        shorter.Add(grid.Get(a));
    }
    WriteFileBytes(DataFile(), shorter.Text());
    grids.SetUp(folder.Path());
    EXPECT_EQ(grids.HorizonGrid.Count(), 359u);
    grids.SaveHorizonGrid();
    EXPECT_EQ(ReadFileBytes(DataFile()), shorter.Text());
    EXPECT_FALSE(Exists(Kept(1)));
}

TEST_F(HorizonGridsTest, PartlyReadFileIsKeptBeforeTheFirstSaveOnly) {
    WriteFileBytes(DataFile(), NewGrid().Text());
    ASSERT_EQ(::truncate(DataFile().c_str(), TStringList::MaxFileSize + 10), 0);
    const std::string original = ReadFileBytes(DataFile());
    WriteFileBytes(Kept(1), "an earlier kept file");

    grids.SetUp(folder.Path());
    EXPECT_GE(grids.HorizonGrid.Count(), 360u);
    grids.SaveHorizonGrid();
    EXPECT_EQ(grids.KeptFileName(), Kept(2));
    EXPECT_EQ(ReadFileBytes(Kept(1)), "an earlier kept file");
    EXPECT_EQ(ReadFileBytes(Kept(2)), original);
    EXPECT_EQ(ReadFileBytes(DataFile()), grids.HorizonGrid.Text());

    grids.SaveHorizonGrid();
    EXPECT_FALSE(Exists(Kept(3)));
}

TEST_F(HorizonGridsTest, UnreadableDataFileIsMovedAsideWhenItCannotBeLinked) {
    WriteFileBytes(DataFile(), NewGrid().Text());
    ::chmod(DataFile().c_str(), 0);
    ::chmod(folder.Path().c_str(), 0777);
    const std::string message = RunUnprivileged([&] {
        HorizonGrids unprivileged;
        unprivileged.SetUp(folder.Path());
        if (!unprivileged.HorizonGrid.Empty()) {
            throw Exception("the grid should be empty");
        }
        unprivileged.SaveHorizonGrid();
    });
    EXPECT_EQ(message, "");
    EXPECT_EQ(ReadFileBytes(Kept(1)), NewGrid().Text());
    EXPECT_EQ(ReadFileBytes(DataFile()), "");
}

TEST_F(HorizonGridsTest, DataFileThatIsAFolderIsMovedAside) {
    std::filesystem::create_directory(DataFile());
    grids.SetUp(folder.Path());
    EXPECT_TRUE(grids.HorizonGrid.Empty());
    grids.SaveHorizonGrid();
    EXPECT_TRUE(std::filesystem::is_directory(Kept(1)));
    EXPECT_TRUE(std::filesystem::is_regular_file(DataFile()));
}

TEST_F(HorizonGridsTest, SaveIntoReadOnlyFolderFailsAndKeepsTheOldFile) {
    grids.SetUp(folder.Path());
    grids.SaveHorizonGrid();
    const std::string saved = ReadFileBytes(DataFile());
    FoldReport(grids.HorizonGrid, 10, 10, 30);
    ::chmod(folder.Path().c_str(), 0555);
    const std::string message = RunUnprivileged([&] { grids.SaveHorizonGrid(); });
    EXPECT_THAT(message, HasSubstr(DataFile()));
    EXPECT_THAT(message, HasSubstr("Permission denied"));
    EXPECT_EQ(ReadFileBytes(DataFile()), saved);

    ::chmod(folder.Path().c_str(), 0700);
    grids.SaveHorizonGrid();
    EXPECT_EQ(ReadFileBytes(DataFile()), grids.HorizonGrid.Text());
}

// A data file the user write-protected, or one that links to a map kept elsewhere, is treated as
// the user set it up: the first is not replaced, the second goes on growing where it is.
TEST_F(HorizonGridsTest, WriteProtectedDataFileFailsTheSaveUntilTheProtectionIsLifted) {
    grids.SetUp(folder.Path());
    grids.SaveHorizonGrid();
    const std::string saved = ReadFileBytes(DataFile());
    FoldReport(grids.HorizonGrid, 10, 10, 30);
    ::chmod(DataFile().c_str(), 0444);
    try {
        grids.SaveHorizonGrid();
        ADD_FAILURE() << "a write-protected data file was replaced";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), HasSubstr(DataFile()));
    }
    EXPECT_EQ(ReadFileBytes(DataFile()), saved);
    ::chmod(DataFile().c_str(), 0644);
    grids.SaveHorizonGrid();
    EXPECT_EQ(ReadFileBytes(DataFile()), grids.HorizonGrid.Text());
}

TEST_F(HorizonGridsTest, LinkedDataFileGrowsWhereItLinks) {
    const std::string map = folder.File("map-on-the-roof.dat");
    WriteFileBytes(map, NewGrid().Text());
    std::filesystem::create_symlink(map, DataFile());
    grids.SetUp(folder.Path());
    FoldReport(grids.HorizonGrid, 83, 40, 46);
    grids.SaveHorizonGrid();
    EXPECT_TRUE(std::filesystem::is_symlink(DataFile()));
    EXPECT_EQ(ReadFileBytes(map), grids.HorizonGrid.Text());
}

struct FullDiskCase {
    const char* name;
    // How much of a new file of `size` bytes fits before the disk is full.
    rlim_t (*fits)(std::size_t size);
};

void PrintTo(const FullDiskCase& space, std::ostream* out) {
    *out << space.name;
}

class FullDiskTest : public HorizonGridsTest, public testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDiskTest, SaveFailsNamingTheFileKeepsTheOldAndTheNextSucceeds) {
    grids.SetUp(folder.Path());
    grids.HorizonGrid = FullGrid(9);
    grids.SaveHorizonGrid();
    const std::string saved = ReadFileBytes(DataFile());
    grids.HorizonGrid = FullGrid(47);
    const std::string wanted = grids.HorizonGrid.Text();
    ::chmod(DataFile().c_str(), 0666);
    ::chmod(folder.Path().c_str(), 0777);
    // A file size limit stands in for a full disk: writes fail part way, as they would.
    const rlim_t limit = GetParam().fits(wanted.size());
    const std::string message = RunUnprivileged([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        grids.SaveHorizonGrid();
    });
    EXPECT_THAT(message, HasSubstr(DataFile()));
    EXPECT_THAT(message, HasSubstr("File too large"));
    EXPECT_EQ(ReadFileBytes(DataFile()), saved);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Skyfence.dat"});

    grids.SaveHorizonGrid();
    HorizonGrids restarted;
    restarted.SetUp(folder.Path());
    EXPECT_EQ(restarted.HorizonGrid.Text(), wanted);
}

INSTANTIATE_TEST_SUITE_P(
    Space, FullDiskTest,
    testing::Values(
        FullDiskCase{"NoneLeft", [](std::size_t) -> rlim_t { return 0; }},
        FullDiskCase{"HalfTheGrid", [](std::size_t size) -> rlim_t { return size / 2; }},
        FullDiskCase{"AllButTheLastByte", [](std::size_t size) -> rlim_t { return size - 1; }}),
    [](const testing::TestParamInfo<FullDiskCase>& space) { return space.param.name; });

// However a save is cut short, a restart reads one whole grid: the one saved before or after.
TEST_F(HorizonGridsTest, KilledAtRandomMomentsOfSavingLeavesAWholeGrid) {
    // Different sizes, so that a file cut at the length of the other would show.
    const TStringList first = FullGrid(7);
    const TStringList second = FullGrid(48);
    grids.SetUp(folder.Path());
    grids.HorizonGrid = first;
    grids.SaveHorizonGrid();
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> delay(0, 30000);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = StartChild([&] {
            for (int i = 0;; ++i) {
                grids.HorizonGrid = i % 2 == 0 ? second : first;
                grids.SaveHorizonGrid();
            }
        });
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        WaitForChild(child);

        HorizonGrids restarted;
        restarted.SetUp(folder.Path());
        ASSERT_TRUE(restarted.HorizonGrid == first || restarted.HorizonGrid == second)
            << "round " << round << ": " << restarted.HorizonGrid.Count() << " lines";
        // Read in full, so there is nothing to keep aside.
        restarted.SaveHorizonGrid();
        ASSERT_TRUE(restarted.KeptFileName().empty()) << "round " << round;
    }
}

TEST_F(HorizonGridsTest, LoadReplacesTheLoadedGridOnly) {
    grids.SetUp(folder.Path());
    const std::string other = folder.File("other.dat");
    WriteFileBytes(other, "1,2\r\n3,4\r\n");
    grids.LoadGrid(other);
    EXPECT_EQ(grids.LoadedGrid.Lines(), (std::vector<std::string>{"1,2", "3,4"}));
    EXPECT_EQ(grids.HorizonGrid, NewGrid());
    EXPECT_THROW(grids.LoadGrid(folder.File("missing.dat")), EFileError);
    EXPECT_TRUE(grids.LoadedGrid.Empty());
}

} // namespace
