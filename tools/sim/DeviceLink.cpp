#include "DeviceLink.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

DeviceLink::DeviceLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {
    // Made aside and renamed over the path, so a reader never finds the path missing.
    const std::string temporary = path_ + ".tmp";
    ::unlink(temporary.c_str());
    if (::symlink(target_.c_str(), temporary.c_str()) != 0) {
        throw EFileError(FileErrorText("create the link", temporary, errno));
    }
    if (::rename(temporary.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw EFileError(FileErrorText("create the link", path_, error));
    }
}

DeviceLink::~DeviceLink() {
    // Another simulator may have taken the path over since; its link stays.
    std::array<char, 4096> pointsTo{};
    const ssize_t length = ::readlink(path_.c_str(), pointsTo.data(), pointsTo.size());
    if (length >= 0 && std::string(pointsTo.data(), static_cast<std::size_t>(length)) == target_) {
        ::unlink(path_.c_str());
    }
}
