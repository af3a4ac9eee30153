// The programs as the build's install rules lay them out under a prefix the user may not write
// to, as the Debian package puts them in /usr: the program keeps its maps in the user's data
// folder, and the desktop finds the entry and the icon.
#include "ChildProcess.h"
#include "ChildProgram.h"
#include "Installation.h"
#include "ProgramChecks.h"
#include "Simulator.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

constexpr auto Patience = 20s;
constexpr const char* DesktopFileValidate = "/usr/bin/desktop-file-validate";
const std::vector<std::string> Programs = {"skyfence", "skyfence-replay", "skyfence-sim"};

// `cmake --install` of this build into a fresh <folder>/usr, with its programs' folder
// read-only, as a system folder is to a user.
class InstalledPrograms : public testing::Test {
protected:
    void SetUp() override {
        ::chmod(folder.Path().c_str(), 0755);
        ChildProgram install(SKYFENCE_CMAKE, {"--install", SKYFENCE_BUILD_DIR, "--prefix", prefix});
        ASSERT_TRUE(EndedWell(install.Wait(60s))) << "cmake --install failed";
        ::chmod((prefix + "/bin").c_str(), 0555);
    }

    std::string Installed(const std::string& path) const { return prefix + "/" + path; }

    TemporaryFolder folder;
    const std::string prefix = folder.File("usr");
};

TEST_F(InstalledPrograms, PutEachFileWhereTheDesktopAndTheUserLook) {
    EXPECT_EQ(FolderEntries(Installed("bin")), Programs);
    for (const char* file :
         {"share/applications/skyfence.desktop", "share/icons/hicolor/16x16/apps/skyfence.png",
          "share/icons/hicolor/256x256/apps/skyfence.png", "share/doc/skyfence/skyfence.service",
          "share/doc/skyfence/copyright", "share/man/man1/skyfence.1.gz",
          "share/man/man1/skyfence-sim.1.gz", "share/man/man1/skyfence-replay.1.gz"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(Installed(file))) << file;
    }
}

TEST_F(InstalledPrograms, DesktopEntryPassesTheDesktopsOwnCheck) {
    if (!std::filesystem::exists(DesktopFileValidate)) {
        GTEST_SKIP() << "desktop-file-validate is not installed; scripts/install-deps installs it";
    }
    ChildProgramOptions options;
    options.readErrors = true;
    ChildProgram validate(DesktopFileValidate, {Installed("share/applications/skyfence.desktop")},
                          options);
    // It prints its errors, warnings and hints; a clean entry gets none of them.
    EXPECT_EQ(validate.ReadLine(Patience), std::nullopt);
    EXPECT_TRUE(EndedWell(validate.Wait(Patience)));
}

struct ProgramUser {
    const char* name;
    bool unprivileged;
};

std::ostream& operator<<(std::ostream& out, const ProgramUser& user) {
    return out << user.name;
}

class InstalledProgramUser : public InstalledPrograms,
                             public testing::WithParamInterface<ProgramUser> {};

// The first start of a service or a new user: settings naming the receiver and an empty map, made
// as the shipped unit makes it, in the folder the program will choose. Root may write beside the
// program, and still does not.
TEST_P(InstalledProgramUser, RecordsIntoTheUsersDataFolder) {
    const std::string home = folder.File("home");
    std::filesystem::create_directory(home);
    ::chmod(home.c_str(), 0777);
    const std::string receiver = folder.File("receiver");
    Simulator simulator(receiver, {"--speed", "3600"}, Installed("bin/skyfence-sim"));
    ::chmod(simulator.device.c_str(), 0666);
    const std::string maps = home + "/.local/share/skyfence";
    ChildProgramOptions options;
    // Empty: unset, so that only HOME leads to the folders.
    options.environment = {{"HOME", home},
                           {"XDG_CONFIG_HOME", ""},
                           {"XDG_DATA_HOME", ""},
                           {"QT_QPA_PLATFORM", "offscreen"}};
    options.unprivileged = GetParam().unprivileged;
    options.readErrors = true;
    const auto asTheUser = [&](const std::function<void()>& work) {
        return options.unprivileged ? RunUnprivileged(work) : (work(), std::string());
    };
    EXPECT_EQ(asTheUser([&] {
                  WriteReceiverSettings(home + "/.config", receiver);
                  std::filesystem::create_directories(maps);
              }),
              "");
    ChildProgram firstMap(Installed("bin/skyfence-replay"), {"/dev/null", maps + "/Skyfence.dat"},
                          options);
    ASSERT_TRUE(EndedWell(firstMap.Wait(Patience)));

    ChildProgram program(Installed("bin/skyfence"), {}, options);
    ASSERT_TRUE(program.WaitUntilReading(simulator.device, 8192, Patience));
    program.Signal(SIGTERM);
    EXPECT_TRUE(EndedWell(program.Wait(Patience)));
    ExpectReceivedMap(maps + "/Skyfence.dat");
    EXPECT_EQ(FolderEntries(Installed("bin")), Programs);
}

INSTANTIATE_TEST_SUITE_P(Users, InstalledProgramUser,
                         testing::Values(ProgramUser{"UnprivilegedUser", true},
                                         ProgramUser{"TheTestsUserRootAsARule", false}),
                         CaseName());

} // namespace
