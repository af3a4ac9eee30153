// Where the maps go, decided on real folders by an unprivileged process, so that a read-only
// program folder is read-only to it even when the tests run as root; or by the tests' own user,
// root as a rule, for whom every folder is writable.
#include "platform/DataFolder.h"

#include "platform/Exception.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>

namespace {

using Place = DataFolder::Place;

constexpr mode_t Writable = 0777;
constexpr mode_t ReadOnly = 0555;

// Paths starting with "@" lie in the test's folder.
struct FolderCase {
    const char* name;
    std::optional<std::string> named;
    mode_t program;
    std::string dataHome;
    std::string home;
    mode_t homeMode;
    // The folder chosen, or a part of the error's message when `place` is absent.
    std::string expected;
    std::optional<Place> place;
    std::string programFolder = "@program";
    // PREFIX/share/applications/skyfence.desktop where the program folder is PREFIX/program.
    bool menuEntry = false;
    bool unprivileged = true;
};

std::string RunAs(bool unprivileged, const std::function<void()>& work) {
    if (unprivileged) {
        return RunUnprivileged(work);
    }
    try {
        work();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

std::ostream& operator<<(std::ostream& out, const FolderCase& row) {
    return out << row.name;
}

class DataFolderChoice : public testing::TestWithParam<FolderCase> {
protected:
    DataFolderChoice() {
        ::chmod(folder_.Path().c_str(), 0755);
        for (const char* name : {"program", "data", "home"}) {
            std::filesystem::create_directory(folder_.File(name));
        }
        ::chmod(folder_.File("program").c_str(), GetParam().program);
        ::chmod(folder_.File("data").c_str(), Writable);
        ::chmod(folder_.File("home").c_str(), GetParam().homeMode);
        if (GetParam().menuEntry) {
            std::filesystem::create_directories(folder_.File("share/applications"));
            WriteFileBytes(folder_.File("share/applications/skyfence.desktop"), "");
        }
    }

    std::string At(const std::string& path) const {
        return path.starts_with('@') ? folder_.File(path.substr(1)) : path;
    }

    TemporaryFolder folder_;
};

TEST_P(DataFolderChoice, FollowsTheCommandLineTheProgramFolderOrTheUsersDataFolder) {
    const FolderCase& row = GetParam();
    const std::optional<std::string> named =
        row.named ? std::optional<std::string>(At(*row.named)) : std::nullopt;
    const std::string expected = At(row.expected);
    const std::string message = RunAs(row.unprivileged, [&] {
        std::optional<DataFolder> chosen;
        try {
            chosen.emplace(named, At(row.programFolder),
                           DataFolder::UserFolders{At(row.dataHome), At(row.home)});
        } catch (const EFileError& error) {
            if (row.place || std::string(error.what()).find(expected) == std::string::npos) {
                throw;
            }
            return;
        }
        if (!row.place || chosen->Path() != expected || chosen->Where() != *row.place) {
            throw std::runtime_error("chose " + chosen->Path());
        }
        if (!std::filesystem::is_directory(expected)) {
            throw std::runtime_error("not made: " + expected);
        }
        for (const std::string& other : {At("@data/skyfence/"), At("@home/.local/")}) {
            if (!expected.starts_with(other) && std::filesystem::exists(other)) {
                throw std::runtime_error("also made: " + other);
            }
        }
    });
    EXPECT_EQ(message, "");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DataFolderChoice,
    testing::Values(
        FolderCase{"NamedFolderIsMadeAndWins", "@data/service/maps", Writable, "@data", "@home",
                   Writable, "@data/service/maps/", Place::Named},
        FolderCase{"WritableProgramFolderKeepsTheMaps", std::nullopt, Writable, "@data", "@home",
                   Writable, "@program/", Place::BesideProgram},
        FolderCase{"MenuEntryInItsPrefixMarksAnInstalledProgram", std::nullopt, Writable, "@data",
                   "@home", Writable, "@data/skyfence/", Place::UserData, "@program", true},
        FolderCase{"SystemProgramFolderIsNotRootsEither", std::nullopt, Writable, "@data", "@home",
                   Writable, "@data/skyfence/", Place::UserData, "/usr/bin/", false, false},
        FolderCase{"SystemFolderIsKnownWithoutItsSlash", std::nullopt, Writable, "@data", "@home",
                   Writable, "@data/skyfence/", Place::UserData, "/usr/local/bin", false, false},
        FolderCase{"ReadOnlyProgramFolderUsesXdgDataHome", std::nullopt, ReadOnly, "@data", "@home",
                   Writable, "@data/skyfence/", Place::UserData},
        FolderCase{"WithoutXdgDataHomeTheHomesShare", std::nullopt, ReadOnly, "", "@home", Writable,
                   "@home/.local/share/skyfence/", Place::UserData},
        FolderCase{"RelativeXdgDataHomeIsIgnored", std::nullopt, ReadOnly, "data", "@home",
                   Writable, "@home/.local/share/skyfence/", Place::UserData},
        FolderCase{"UnwritableHomeIsNamed", std::nullopt, ReadOnly, "", "@home", ReadOnly,
                   "@home/.local/share/skyfence/", std::nullopt},
        FolderCase{"NoHomeAtAllIsSaid", std::nullopt, ReadOnly, "", "", Writable,
                   "neither XDG_DATA_HOME nor HOME", std::nullopt},
        FolderCase{"NamedFolderThatCannotBeMadeIsNamed", "@program/maps", ReadOnly, "@data",
                   "@home", Writable, "@program/maps/", std::nullopt}),
    CaseName());

} // namespace
