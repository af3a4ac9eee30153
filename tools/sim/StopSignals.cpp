#include "StopSignals.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

StopSignals::StopSignals() {
    const sigset_t set = StopSet();
    if (const int error = ::pthread_sigmask(SIG_BLOCK, &set, &previousMask_); error != 0) {
        throw Exception("Cannot watch for termination signals: " + SystemErrorText(error));
    }
    signals_.Reset(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals_.IsOpen()) {
        const int error = errno;
        ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw Exception("Cannot watch for termination signals: " + SystemErrorText(error));
    }
}

StopSignals::~StopSignals() {
    // Taken off first, or unblocking would deliver them with their default action.
    signalfd_siginfo info{};
    while (::read(signals_.Get(), &info, sizeof info) > 0) {
    }
    signals_.Reset();
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

StopSignals::Wait StopSignals::WaitFor(int fd, short events,
                                       std::chrono::milliseconds timeout) const {
    std::array<pollfd, 2> watched{{{signals_.Get(), POLLIN, 0}, {fd, events, 0}}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    for (;;) {
        const int ready = ::poll(watched.data(), count, static_cast<int>(timeout.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            throw Exception("Cannot wait for the terminal: " + SystemErrorText(errno));
        }
        if (watched[0].revents != 0) {
            return Wait::Stopped;
        }
        return ready == 0 ? Wait::TimedOut : Wait::Ready;
    }
}

bool StopSignals::SleepUntil(std::chrono::steady_clock::time_point deadline) const {
    // Looks for a signal at least once, even when the deadline has passed.
    do {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (WaitFor(-1, 0, std::max(left, std::chrono::milliseconds(0))) == Wait::Stopped) {
            return false;
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return true;
}
