// The program itself where the system lets it down: a folder it may not write to, a file size
// limit standing in for a full disk, settings it cannot read. It must go on, say why, and lose
// neither the map nor the user's files.
#include "ChildProgram.h"
#include "Installation.h"
#include "ProgramChecks.h"
#include "Simulator.h"

#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"

#include "LocalTcpServer.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <ostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

constexpr auto Patience = 20s;

// Waits until the program has the receiver's terminal open and has received a few cycles of
// sentences from it.
bool Receives(const ChildProgram& program, const std::string& device) {
    return program.WaitUntilReading(device, 8192, Patience);
}

const std::vector<std::string> InstalledFiles = {"Skyfence.dat", "config", "skyfence"};
// Once saved, the map's observations lie beside it.
const std::vector<std::string> SavedFiles = {"Skyfence.dat", "Skyfence.obs", "config", "skyfence"};

// A receiver and an installation naming it; the receiver reachable by an unprivileged program.
class ProgramFaults : public testing::Test {
protected:
    ProgramFaults() {
        ::chmod(folder.Path().c_str(), 0755);
        ::chmod(simulator.device.c_str(), 0666);
    }

    ChildProgramOptions Options() const { return installation.ProgramOptions(); }

    TemporaryFolder folder;
    Simulator simulator{folder.File("receiver"), {"--speed", "3600"}};
    Installation installation{folder.File("receiver")};
};

TEST_F(ProgramFaults, ReadOnlyFolderIsReportedAndTheMapSavedOnceItIsWritable) {
    ASSERT_THAT(simulator.device, testing::StartsWith("/dev/pts/"));
    const std::string before = ReadFileBytes(installation.DataFile());
    // The map is the user's own; only the folder keeps the program from saving.
    ::chmod(installation.DataFile().c_str(), 0666);
    ::chmod(installation.Folder().c_str(), 0555);
    ChildProgramOptions options = Options();
    options.unprivileged = true;
    // Named: left to itself, the program keeps its maps in the user's data folder when its own
    // folder is read-only.
    ChildProgram program(installation.Program(), {"--data-folder", installation.Folder()}, options);
    ASSERT_TRUE(Receives(program, simulator.device));

    // The save at the end fails: the window stays, with the reason.
    program.Signal(SIGTERM);
    const std::optional<std::string> message =
        program.WaitForLine(installation.DataFile(), Patience);
    ASSERT_TRUE(message) << "no message names the data file";
    EXPECT_THAT(*message, HasSubstr("Permission denied"));
    EXPECT_FALSE(program.Wait(0ms)) << "the program ended";
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), before);
    EXPECT_EQ(FolderEntries(installation.Folder()), InstalledFiles);

    ::chmod(installation.Folder().c_str(), 0777);
    program.Signal(SIGTERM);
    ASSERT_TRUE(EndedWell(program.Wait(Patience)));
    ExpectReceivedMap(installation.DataFile());
    EXPECT_EQ(FolderEntries(installation.Folder()), SavedFiles);
}

// A process that writes past its file size limit is killed by SIGXFSZ unless it ignores it;
// the program must fail the save instead, as on a full disk, and keep its map.
TEST_F(ProgramFaults, FileSizeLimitFailsTheSaveAndTheNextSucceedsOnceLifted) {
    ASSERT_THAT(simulator.device, testing::StartsWith("/dev/pts/"));
    const std::string before = ReadFileBytes(installation.DataFile());
    ChildProgramOptions options = Options();
    options.fileSizeLimit = before.size() / 2;
    ChildProgram program(installation.Program(), {}, options);
    ASSERT_TRUE(Receives(program, simulator.device));

    program.Signal(SIGTERM);
    const std::optional<std::string> message =
        program.WaitForLine(installation.DataFile(), Patience);
    if (const std::optional<int> ended = program.Wait(message ? 0ms : Patience)) {
        FAIL() << "the program ended" << (WIFSIGNALED(*ended) ? " by a signal" : "");
    }
    ASSERT_TRUE(message) << "no message names the data file";
    EXPECT_THAT(*message, HasSubstr("File too large"));
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), before);
    // The small observations file fits under the limit: a map that cannot be written does not
    // keep it from being saved.
    EXPECT_EQ(FolderEntries(installation.Folder()), SavedFiles);

    program.SetFileSizeLimit(RLIM_INFINITY);
    program.Signal(SIGTERM);
    ASSERT_TRUE(EndedWell(program.Wait(Patience)));
    ExpectReceivedMap(installation.DataFile());
    EXPECT_EQ(FolderEntries(installation.Folder()), SavedFiles);
}

// The receiver killed outright while the program receives: one line in the log, no box, and the
// program goes on with its map until it is ended.
TEST_F(ProgramFaults, ReceiverKilledWhileReceivingIsReportedOnce) {
    ASSERT_THAT(simulator.device, testing::StartsWith("/dev/pts/"));
    ChildProgram program(installation.Program(), {}, Options());
    ASSERT_TRUE(Receives(program, simulator.device));
    simulator.program.Signal(SIGKILL);
    // A killed simulator leaves its link; gone with the receiver, as a device's name goes, it
    // cannot lead the program's retries to the terminal another test gets under that number.
    std::filesystem::remove(folder.File("receiver"));
    ASSERT_TRUE(simulator.program.Wait(Patience));
    ASSERT_TRUE(program.WaitForLine("was lost at", Patience));
    program.Signal(SIGTERM);
    int repeated = 0;
    while (const std::optional<std::string> line = program.ReadLine(Patience)) {
        repeated += line->find("was lost at") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(repeated, 0);
    ASSERT_TRUE(EndedWell(program.Wait(Patience)));
    ExpectReceivedMap(installation.DataFile());
}

struct SettingsFault {
    const char* name;
    std::string content;
    mode_t mode;
};

void PrintTo(const SettingsFault& fault, std::ostream* out) {
    *out << fault.name;
}

class DamagedSettings : public testing::TestWithParam<SettingsFault> {};

// A first start (no data file yet) reaches the setup and stores the settings on its way out;
// a store that cannot be read must stay as it is, and the signal must still end the program.
TEST_P(DamagedSettings, ProgramStartsEndsAndLeavesTheFileAsItWas) {
    TemporaryFolder folder;
    Installation installation(folder.File("no-receiver"));
    std::filesystem::remove(installation.DataFile());
    const std::string settings = installation.SettingsFile();
    WriteFileBytes(settings, GetParam().content);
    ::chmod(settings.c_str(), GetParam().mode);
    // Only the damage may keep the program from writing either file.
    ::chmod(folder.Path().c_str(), 0755);
    ::chmod(installation.Folder().c_str(), 0777);
    ::chmod(std::filesystem::path(settings).parent_path().c_str(), 0777);

    ChildProgramOptions options = installation.ProgramOptions();
    options.unprivileged = true;
    ChildProgram program(installation.Program(), {}, options);
    // At first start the program waits in its setup dialog.
    ASSERT_TRUE(program.WaitUntilIdle(SIGTERM, Patience));
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.WaitForLine("Failed to store settings", Patience));
    ASSERT_TRUE(EndedWell(program.Wait(Patience))) << "the program did not end by itself";

    EXPECT_EQ(ReadFileBytes(settings), GetParam().content);
    struct stat status {};
    ASSERT_EQ(::stat(settings.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, GetParam().mode);
    EXPECT_EQ(FolderEntries(std::filesystem::path(settings).parent_path()),
              std::vector<std::string>{"registry.reg"});
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), NewGrid().Text());
}

// A web page asked for that cannot be served ends the program at start, saying why, rather than
// leaving a recorder that nobody can see.
TEST(WebPageFault, PortTakenEndsTheProgramAtStartSayingWhy) {
    const LocalTcpServer taken;
    TemporaryFolder folder;
    Installation installation(folder.File("no-receiver"));
    const std::string address = "127.0.0.1:" + std::to_string(taken.Port());
    ChildProgram program(installation.Program(), {"--http", address},
                         installation.ProgramOptions());
    EXPECT_TRUE(program.WaitForLine("the web page cannot be served on " + address, Patience));
    const std::optional<int> status = program.Wait(Patience);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 3);
}

const std::string UsableSettings = "REGEDIT4\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]\r\n"
                                   "\"Port\"=\"/dev/ttyUSB7\"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Store, DamagedSettings,
    testing::Values(SettingsFault{"Garbled", "REGEDIT4\r\n\r\n\x01\x02 not a line of a registry",
                                  0644},
                    SettingsFault{"CutInAKeyLine", UsableSettings.substr(0, 40), 0644},
                    SettingsFault{"Unreadable", UsableSettings, 0}),
    [](const testing::TestParamInfo<SettingsFault>& fault) { return fault.param.name; });

} // namespace
