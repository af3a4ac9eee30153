#include "DataFolder.h"

#include "Exception.h"
#include "ExecutablePath.h"
#include "HomeFolder.h"
#include "SystemError.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

std::string EndingInSlash(std::string folder) {
    if (!folder.ends_with('/')) {
        folder += '/';
    }
    return folder;
}

// Entries can be made in it: writing needs the search permission too.
bool MayWriteIn(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Where a package or an administrator puts programs; a program found there is never a copy of the
// user's own, even when the user (root) may write beside it.
constexpr std::array<std::string_view, 8> SystemProgramFolders = {
    "/usr/bin/",   "/usr/sbin/",        "/usr/local/bin/", "/usr/local/sbin/",
    "/usr/games/", "/usr/local/games/", "/bin/",           "/sbin/"};

bool IsInstalled(const std::string& programFolder) {
    const std::string folder = EndingInSlash(programFolder);
    if (folder.starts_with("/opt/") ||
        std::find(SystemProgramFolders.begin(), SystemProgramFolders.end(), folder) !=
            SystemProgramFolders.end()) {
        return true;
    }
    // A build folder or a copy has no menu entry two levels up; `cmake --install` and the
    // package lay one out under any prefix.
    std::error_code error;
    return std::filesystem::is_regular_file(folder + "../share/applications/skyfence.desktop",
                                            error);
}

std::string UserDataFolder(const DataFolder::UserFolders& user) {
    if (user.dataHome.starts_with('/')) {
        return EndingInSlash(user.dataHome) + "skyfence/";
    }
    if (user.home.empty()) {
        throw EFileError("Cannot find a folder for the maps: neither XDG_DATA_HOME nor HOME "
                         "names one, and the program may not keep them beside itself");
    }
    return EndingInSlash(user.home) + ".local/share/skyfence/";
}

void MakeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw EFileError(FileErrorText("make the data folder", folder, error.value()));
    }
}

} // namespace

DataFolder::UserFolders DataFolder::UserFolders::FromEnvironment() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    return {dataHome != nullptr ? dataHome : "", HomeFolder().value_or("")};
}

DataFolder::DataFolder(const std::optional<std::string>& named, const std::string& programFolder,
                       const UserFolders& user) {
    if (named) {
        path_ = EndingInSlash(*named);
        place_ = Place::Named;
    } else if (!IsInstalled(programFolder) && MayWriteIn(programFolder)) {
        path_ = EndingInSlash(programFolder);
        place_ = Place::BesideProgram;
    } else {
        path_ = UserDataFolder(user);
        place_ = Place::UserData;
    }
    // A first start (of a service, of a new user) finds its folder made.
    MakeFolder(path_);
}

DataFolder::DataFolder(const std::optional<std::string>& named)
    : DataFolder(named, ExecutableFolder(), UserFolders::FromEnvironment()) {}
