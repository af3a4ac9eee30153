#include "DataFolder.h"

#include "Exception.h"
#include "ExecutablePath.h"
#include "HomeFolder.h"
#include "SystemError.h"

#include <cstdlib>
#include <filesystem>
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

std::string UserDataFolder(const DataFolder::UserFolders& user) {
    if (user.dataHome.starts_with('/')) {
        return EndingInSlash(user.dataHome) + "skyfence/";
    }
    if (user.home.empty()) {
        throw EFileError("Cannot find a folder for the maps: neither XDG_DATA_HOME nor HOME "
                         "names one, and the program's own folder is not writable");
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
    } else if (MayWriteIn(programFolder)) {
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
