#include "ExecutablePath.h"

#include "Exception.h"
#include "SystemError.h"

#include <filesystem>
#include <system_error>

std::string ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw EFileError(FileErrorText("find the program file", "/proc/self/exe", error.value()));
    }
    return path.string();
}

std::string ExecutableFolder() {
    return std::filesystem::path(ExecutablePath()).parent_path().string() + "/";
}
