#include "FileDescriptor.h"

#include <cerrno>
#include <unistd.h>

int FileDescriptor::Close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
}

void FileDescriptor::Reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}
