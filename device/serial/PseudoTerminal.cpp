#include "PseudoTerminal.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal() {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw EFileError(FileErrorText("open", "a pseudo-terminal", errno));
    }
    master_.Reset(master);
    slave_.Reset(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    std::array<char, 256> name{};
    if (const int error = ::ttyname_r(slave, name.data(), name.size()); error != 0) {
        throw EFileError(FileErrorText("name", "a pseudo-terminal", error));
    }
    path_ = name.data();
}

void PseudoTerminal::Write(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t written = ::write(master_.Get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                pollfd writable{master_.Get(), POLLOUT, 0};
                ::poll(&writable, 1, -1);
                continue;
            }
            throw EFileError(FileErrorText("write to", path_, errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}
