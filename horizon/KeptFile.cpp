#include "KeptFile.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

std::string KeptName(const std::string& fileName, int number) {
    std::string stem = fileName;
    std::string extension = std::filesystem::path(fileName).extension().string();
    if (extension.empty()) {
        extension = ".dat";
    } else {
        stem.resize(stem.size() - extension.size());
    }
    return stem + "-kept-" + std::to_string(number) + extension;
}

} // namespace

std::string KeepFileBesideItself(const std::string& fileName) {
    // A hard link keeps the file where it is until the save replaces it; where links are not
    // supported the file is moved instead. Neither ever replaces an earlier kept file.
    constexpr int maxKeptFiles = 10000;
    for (int number = 1; number <= maxKeptFiles; ++number) {
        const std::string kept = KeptName(fileName, number);
        if (::link(fileName.c_str(), kept.c_str()) == 0 ||
            ::renameat2(AT_FDCWD, fileName.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) ==
                0) {
            return kept;
        }
        if (errno == ENOENT) {
            return {};
        }
        if (errno != EEXIST) {
            throw EFileError(FileErrorText("keep the unread file", fileName, errno));
        }
    }
    throw EFileError(FileErrorText("keep the unread file", fileName, EEXIST));
}
