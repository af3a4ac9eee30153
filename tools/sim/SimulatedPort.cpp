#include "SimulatedPort.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds WritableWait{200};
constexpr std::chrono::milliseconds DrainCheck{20};

} // namespace

SimulatedPort::SimulatedPort() {
    termios settings{};
    if (::tcgetattr(terminal_.Slave(), &settings) != 0) {
        throw EFileError(FileErrorText("set up", terminal_.Path(), errno));
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(terminal_.Slave(), TCSANOW, &settings) != 0) {
        throw EFileError(FileErrorText("set up", terminal_.Path(), errno));
    }
    const int flags = ::fcntl(terminal_.Master(), F_GETFL);
    if (flags < 0 || ::fcntl(terminal_.Master(), F_SETFL, flags | O_NONBLOCK) != 0) {
        throw EFileError(FileErrorText("set up", terminal_.Path(), errno));
    }
}

bool SimulatedPort::Write(std::string_view bytes, const StopSignals& stop) const {
    while (!bytes.empty()) {
        const ssize_t written = ::write(terminal_.Master(), bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            throw EFileError(FileErrorText("write to", terminal_.Path(), errno));
        }
        if (stop.WaitFor(terminal_.Master(), POLLOUT, WritableWait) == StopSignals::Wait::Stopped) {
            return false;
        }
    }
    return true;
}

bool SimulatedPort::Drain(std::chrono::milliseconds limit, const StopSignals& stop) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // The slave's input queue shows only part of what waits: the kernel moves the rest into it
    // as the reader makes room. Empty twice in a row means the reader has it all.
    int emptyChecks = 0;
    while (emptyChecks < 2 && std::chrono::steady_clock::now() < deadline) {
        int waiting = 0;
        if (::ioctl(terminal_.Slave(), FIONREAD, &waiting) != 0) {
            return true;
        }
        emptyChecks = waiting == 0 ? emptyChecks + 1 : 0;
        if (!stop.SleepUntil(std::chrono::steady_clock::now() + DrainCheck)) {
            return false;
        }
    }
    return true;
}
