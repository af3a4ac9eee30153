#include "TerminationSignals.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> HandledSignals = {SIGTERM, SIGINT, SIGHUP};

// A signal handler can reach nothing but a global; it only writes one byte to wake the loop.
volatile std::sig_atomic_t signalWriteEnd = -1;

extern "C" void OnTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        throw Exception("Cannot watch for termination signals: " + SystemErrorText(errno));
    }
    readEnd_.Reset(ends[0]);
    writeEnd_.Reset(ends[1]);
    signalWriteEnd = writeEnd_.Get();
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.Get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Received(); });

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : HandledSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : HandledSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    signalWriteEnd = -1;
}

void TerminationSignals::Received() {
    std::array<char, 64> drain{};
    while (::read(readEnd_.Get(), drain.data(), drain.size()) > 0) {
    }
    if (onSignal_) {
        onSignal_();
    }
}
