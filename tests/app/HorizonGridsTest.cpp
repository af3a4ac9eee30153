#include "app/HorizonGrids.h"
#include "app/HorizonGrid.h"
#include "platform/Exception.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing::HasSubstr;

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
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
