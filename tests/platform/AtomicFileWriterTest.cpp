#include "platform/AtomicFileWriter.h"
#include "platform/AtomicFileSet.h"
#include "platform/Exception.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing::HasSubstr;

TEST(AtomicFileWriter, CreatesAndReplacesLeavingNoTemporaryFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    AtomicFileWriter::WriteFile(path, "first\r\n");
    EXPECT_EQ(ReadFileBytes(path), "first\r\n");
    AtomicFileWriter::WriteFile(path, "second\r\n");
    EXPECT_EQ(ReadFileBytes(path), "second\r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});
}

TEST(AtomicFileWriter, AbandonedWriteLeavesTheOldFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    WriteFileBytes(path, "old");
    {
        AtomicFileWriter writer(path);
        writer.Write("new content that never lands");
        EXPECT_EQ(ReadFileBytes(path), "old");
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});
}

TEST(AtomicFileWriter, KeepsThePermissionsOfTheReplacedFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("private.dat");
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    AtomicFileWriter::WriteFile(path, "new");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// A map the user write-protected stays as it is, also for a user who could write it anyway (root),
// and the next save after the protection is lifted succeeds.
struct ProtectedCase {
    const char* name;
    bool unprivileged;
};

class ProtectedFileTest : public testing::TestWithParam<ProtectedCase> {};

TEST_P(ProtectedFileTest, IsNotReplacedAndTheFailureNamesIt) {
    TemporaryFolder folder;
    ::chmod(folder.Path().c_str(), 0777);
    const std::string path = folder.File("grid.dat");
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0444);
    const auto save = [&] { AtomicFileWriter::WriteFile(path, "new"); };
    std::string message;
    if (GetParam().unprivileged) {
        message = RunUnprivileged(save);
    } else {
        try {
            save();
        } catch (const Exception& error) {
            message = error.what();
        }
    }
    EXPECT_THAT(message, HasSubstr(path));
    EXPECT_THAT(message, HasSubstr("write-protected"));
    EXPECT_EQ(ReadFileBytes(path), "old");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0444u);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});

    ::chmod(path.c_str(), 0644);
    save();
    EXPECT_EQ(ReadFileBytes(path), "new");
}

INSTANTIATE_TEST_SUITE_P(Users, ProtectedFileTest,
                         testing::Values(ProtectedCase{"Owner", false},
                                         ProtectedCase{"Unprivileged", true}),
                         CaseName());

// A data file kept elsewhere through a link goes on growing there: the target is replaced, with its
// permissions, and the link stays a link.
TEST(AtomicFileWriter, FollowsALinkAndKeepsIt) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.File("elsewhere"));
    const std::string target = folder.File("elsewhere/map.dat");
    WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0640);
    const std::string link = folder.File("grid.dat");
    std::filesystem::create_symlink("elsewhere/map.dat", link);

    AtomicFileWriter::WriteFile(link, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "elsewhere/map.dat");
    EXPECT_EQ(ReadFileBytes(target), "new");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder.File("elsewhere")), std::vector<std::string>{"map.dat"});
}

TEST(AtomicFileWriter, ReadOnlyFolderFailsWithTheFileAndTheReason) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    WriteFileBytes(path, "old");
    ::chmod(folder.Path().c_str(), 0555);
    const std::string message = RunUnprivileged([&] { AtomicFileWriter::WriteFile(path, "new"); });
    EXPECT_THAT(message, HasSubstr(path));
    EXPECT_THAT(message, HasSubstr("Permission denied"));
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});
}

TEST(AtomicFileWriter, FullDiskLeavesTheOldFileAndTheNextSaveSucceeds) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0666);
    ::chmod(folder.Path().c_str(), 0777);
    // A file size limit stands in for a full disk: writes fail part way, as they would.
    const std::string message = RunUnprivileged([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AtomicFileWriter::WriteFile(path, std::string(5000, 'x'));
    });
    EXPECT_THAT(message, HasSubstr(path));
    EXPECT_THAT(message, HasSubstr("File too large"));
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});

    AtomicFileWriter::WriteFile(path, std::string(5000, 'x'));
    EXPECT_EQ(ReadFileBytes(path), std::string(5000, 'x'));
}

// A file to replace, and a folder to make another in.
class AtomicFileSetTest : public testing::Test {
protected:
    AtomicFileSetTest() {
        WriteFileBytes(folder.File("a.dat"), "old a");
        std::filesystem::create_directory(folder.File("sub"));
        files.Stage(folder.File("a.dat"), "new a");
    }

    TemporaryFolder folder;
    AtomicFileSet files;
};

TEST_F(AtomicFileSetTest, NothingIsReplacedUntilAllAreWritten) {
    files.Stage(folder.File("sub/b.dat"), "new b");
    EXPECT_THROW(files.Stage(folder.File("none/c.dat"), "c"), EFileError);
    EXPECT_EQ(ReadFileBytes(folder.File("a.dat")), "old a");
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"a.dat", "sub"}));
    EXPECT_EQ(FolderEntries(folder.File("sub")), std::vector<std::string>{});
}

// A replacement that fails once others are done cannot undo them: the message says which.
TEST_F(AtomicFileSetTest, FailedReplacementNamesTheFilesAlreadyReplaced) {
    files.Stage(folder.File("new.dat"), "new");
    files.Stage(folder.File("sub/b.dat"), "new b");
    // The folder of the last file goes away between writing and replacing.
    std::filesystem::rename(folder.File("sub"), folder.File("moved"));
    WriteFileBytes(folder.File("sub"), "a file now");
    try {
        files.Commit();
        ADD_FAILURE() << "committed";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("\"" + folder.File("sub/b.dat") + "\""));
        EXPECT_THAT(error.what(), HasSubstr("replaced already: \"" + folder.File("a.dat") +
                                            "\", \"" + folder.File("new.dat") + "\""));
    }
    EXPECT_EQ(ReadFileBytes(folder.File("a.dat")), "new a");
    EXPECT_EQ(FolderEntries(folder.File("moved")), std::vector<std::string>{});
}

TEST(AtomicFileWriter, KilledWhileSavingLeavesACompleteFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    const std::string first(200000, 'a');
    const std::string second(300000, 'b');
    AtomicFileWriter::WriteFile(path, first);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(0, 20000);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = StartChild([&] {
            for (int i = 0;; ++i) {
                AtomicFileWriter::WriteFile(path, i % 2 == 0 ? second : first);
            }
        });
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        WaitForChild(child);
        const std::string content = ReadFileBytes(path);
        ASSERT_TRUE(content == first || content == second) << "round " << round;
    }
    // What the killed writers left is cleared once nothing writes any more.
    AtomicFileWriter::RemoveLeftovers(path, std::chrono::seconds(0));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"grid.dat"});
}

// Only temporary files of this target that have lain untouched long enough are removed.
TEST(AtomicFileWriter, RemovesOnlyOldLeftoversOfItsOwnFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("grid.dat");
    WriteFileBytes(path, "data");
    const auto age = [&](const std::string& name, std::chrono::minutes minutes) {
        const std::string file = folder.File(name);
        WriteFileBytes(file, "partial");
        std::filesystem::last_write_time(file,
                                         std::filesystem::file_time_type::clock::now() - minutes);
    };
    age("grid.dat.tmp-abc12345", std::chrono::minutes(11)); // killed long ago, earlier writer
    age("grid.dat.aB3xYz", std::chrono::minutes(11));       // killed long ago
    age("grid.dat.q9ZkR0", std::chrono::minutes(60));
    age("grid.dat.Pq7sWm", std::chrono::minutes(1));  // perhaps still being written
    age("grid.dat.backup", std::chrono::minutes(60)); // the user's own copies
    age("grid.dat.Backup", std::chrono::minutes(60));
    age("grid.dat.BACKUP", std::chrono::minutes(60));
    age("grid.dat.old123", std::chrono::minutes(60));
    age("grid.dat.aB3xY", std::chrono::minutes(60));
    age("grid.dat.aB3xY-z", std::chrono::minutes(60));
    age("grid.dat.tmp-zz99zz99", std::chrono::minutes(60)); // killed long ago
    age("grid.dat.tmp-abc67890", std::chrono::minutes(1));  // perhaps still being written
    age("grid.dat.tmp-abc1234", std::chrono::minutes(60));  // not a name a writer makes
    age("grid.dat.tmp-ABC12345", std::chrono::minutes(60));
    age("grid.dat.tmp-abc123456", std::chrono::minutes(60));
    age("other.dat.tmp-abc12345", std::chrono::minutes(60)); // another file's
    age("xgrid.dat.tmp-abc12345", std::chrono::minutes(60));
    std::filesystem::create_directory(folder.File("grid.dat.tmp-dir12345"));

    AtomicFileWriter::RemoveLeftovers(path, std::chrono::minutes(10));
    EXPECT_EQ(
        FolderEntries(folder.Path()),
        (std::vector<std::string>{
            "grid.dat", "grid.dat.BACKUP", "grid.dat.Backup", "grid.dat.Pq7sWm", "grid.dat.aB3xY",
            "grid.dat.aB3xY-z", "grid.dat.backup", "grid.dat.old123", "grid.dat.tmp-ABC12345",
            "grid.dat.tmp-abc1234", "grid.dat.tmp-abc123456", "grid.dat.tmp-abc67890",
            "grid.dat.tmp-dir12345", "other.dat.tmp-abc12345", "xgrid.dat.tmp-abc12345"}));
    EXPECT_EQ(ReadFileBytes(path), "data");

    AtomicFileWriter::RemoveLeftovers(folder.File("missing/grid.dat"), std::chrono::minutes(0));
}

// The temporary files of a linked data file lie beside its target, and are found there.
TEST(AtomicFileWriter, RemovesLeftoversBesideALinksTarget) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.File("elsewhere"));
    WriteFileBytes(folder.File("elsewhere/map.dat"), "data");
    WriteFileBytes(folder.File("elsewhere/map.dat.aB3xYz"), "partial");
    std::filesystem::create_symlink("elsewhere/map.dat", folder.File("grid.dat"));
    AtomicFileWriter::RemoveLeftovers(folder.File("grid.dat"), std::chrono::seconds(0));
    EXPECT_EQ(FolderEntries(folder.File("elsewhere")), std::vector<std::string>{"map.dat"});
}

} // namespace
