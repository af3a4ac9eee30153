#include "PosixSerialDevice.h"

#include "TermiosSettings.h"
#include "device/EventSignal.h"
#include "device/ReadLimits.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::uint32_t ModemEvents =
    DeviceEvent::Cts | DeviceEvent::Dsr | DeviceEvent::Ring | DeviceEvent::Rlsd;
// Reads per drain: enough to empty any terminal's buffers, yet a sender that never pauses
// cannot keep the caller reading forever.
constexpr int MaximumReadsPerDrain = 64;
// Wake-ups in a row that find the terminal readable and yet nothing to read: a device that
// behaves so is treated as gone rather than waited on in a busy loop.
constexpr int MaximumEmptyWakeups = 100;

// What a pseudo-terminal answers for what it lacks (modem lines, counters): not a failure.
bool IsUnsupportedByDevice(int error) {
    return error == ENOTTY || error == EINVAL;
}

extern "C" void IgnoreWakeSignal(int) {}

// Interrupts the helper thread's TIOCMIWAIT, which nothing else ends before a line changes. A
// real-time signal, which the program uses for nothing else; its handler is installed without
// SA_RESTART so that the ioctl returns EINTR.
int WakeSignal() {
    static const int number = [] {
        const int signal = SIGRTMIN + 1;
        struct sigaction action {};
        action.sa_handler = IgnoreWakeSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
        return signal;
    }();
    return number;
}

bool StartsWithCom(const std::string& port) {
    return port.size() > 3 && std::toupper(static_cast<unsigned char>(port[0])) == 'C' &&
           std::toupper(static_cast<unsigned char>(port[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(port[2])) == 'M';
}

} // namespace

PosixSerialDevice::~PosixSerialDevice() {
    Close();
}

std::string PosixSerialDevice::DevicePath(const std::string& port) {
    if (port.find('/') != std::string::npos) {
        return port;
    }
    if (StartsWithCom(port)) {
        const char* const first = port.data() + 3;
        const char* const last = port.data() + port.size();
        unsigned number = 0;
        const auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc{} && end == last && number >= 1) {
            return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return "/dev/" + port;
}

int PosixSerialDevice::Open(const std::string& port) {
    const std::lock_guard lock(mutex_);
    if (device_.IsOpen() || closing_) {
        return EBUSY;
    }
    if (port.empty()) {
        return ENOENT;
    }
    FileDescriptor device(
        ::open(DevicePath(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!device.IsOpen()) {
        return errno;
    }
    termios attributes{};
    if (::tcgetattr(device.Get(), &attributes) != 0) {
        return errno;
    }
    // TIOCEXCL does not stop root; the lock stops every other opener that also takes it.
    if (::flock(device.Get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? EBUSY : errno;
    }
    // Without raw mode the terminal holds input back until a newline and echoes it.
    ::cfmakeraw(&attributes);
    attributes.c_cflag |= CLOCAL | CREAD;
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;
    if (::tcsetattr(device.Get(), TCSANOW, &attributes) != 0) {
        return errno;
    }
    FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake.IsOpen()) {
        return errno;
    }
    FileDescriptor modem(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!modem.IsOpen()) {
        return errno;
    }
    // Last, because the flag outlives our descriptor on a pseudo-terminal: Close clears it.
    if (::ioctl(device.Get(), TIOCEXCL) != 0) {
        return errno;
    }

    device_ = std::move(device);
    wakeEvent_ = std::move(wake);
    modemEvent_ = std::move(modem);
    StartLocked();
    counters_ = ReadCountersLocked();
    StartModemWatchLocked();
    return 0;
}

void PosixSerialDevice::Close() {
    std::unique_lock lock(mutex_);
    if (!device_.IsOpen() || closing_) {
        return;
    }
    // A wait still blocked in poll must leave it before its descriptors are closed.
    EndWaitsLocked(lock);
    StopModemWatch();

    ::ioctl(device_.Get(), TIOCNXCL);
    device_.Reset();
    wakeEvent_.Reset();
    modemEvent_.Reset();
    ClearLocked();
    counters_.reset();
    closing_ = false;
}

bool PosixSerialDevice::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return device_.IsOpen() && !closing_;
}

int PosixSerialDevice::SetCommState(const DeviceControlBlock& control) {
    const std::lock_guard lock(mutex_);
    if (!device_.IsOpen()) {
        return EBADF;
    }
    const auto settings = MakeTermios(control);
    if (!settings) {
        return EINVAL;
    }
    if (const int error = WriteTermios(device_.Get(), *settings)) {
        return error;
    }
    // A pseudo-terminal has no modem lines to set.
    if (settings->raiseLines != 0 && ::ioctl(device_.Get(), TIOCMBIS, &settings->raiseLines) != 0 &&
        !IsUnsupportedByDevice(errno)) {
        return errno;
    }
    if (settings->lowerLines != 0 && ::ioctl(device_.Get(), TIOCMBIC, &settings->lowerLines) != 0 &&
        !IsUnsupportedByDevice(errno)) {
        return errno;
    }
    control_ = control;
    return 0;
}

int PosixSerialDevice::GetCommModemStatus(std::uint32_t& status) {
    status = 0;
    const std::lock_guard lock(mutex_);
    if (!device_.IsOpen()) {
        return EBADF;
    }
    int lines = 0;
    if (::ioctl(device_.Get(), TIOCMGET, &lines) != 0) {
        return IsUnsupportedByDevice(errno) ? 0 : errno;
    }
    status = ((lines & TIOCM_CTS) != 0 ? ModemStatus::CtsOn : 0) |
             ((lines & TIOCM_DSR) != 0 ? ModemStatus::DsrOn : 0) |
             ((lines & TIOCM_RNG) != 0 ? ModemStatus::RingOn : 0) |
             ((lines & TIOCM_CD) != 0 ? ModemStatus::RlsdOn : 0);
    return 0;
}

bool PosixSerialDevice::HasSourceLocked() const {
    return device_.IsOpen();
}

bool PosixSerialDevice::AwaitEventLocked(std::unique_lock<std::mutex>& lock, int& emptyWakeups) {
    // With the queue full only a hang-up is of interest until the port reads.
    const short wanted = queue_.Room() > 0 ? POLLIN : 0;
    std::array<pollfd, 3> watched{{{device_.Get(), wanted, 0},
                                   {wakeEvent_.Get(), POLLIN, 0},
                                   {modemEvent_.Get(), POLLIN, 0}}};
    const std::uint64_t readBefore = bytesRead_;
    ++waiters_;
    lock.unlock();
    const int result = ::poll(watched.data(), watched.size(), -1);
    const int error = errno;
    lock.lock();
    if (--waiters_ == 0) {
        waitEnded_.notify_all();
    }
    if (result < 0) {
        return error == EINTR;
    }
    if (watched[1].revents != 0) {
        ConsumeEvent(watched[1].fd);
    }
    if (watched[2].revents != 0) {
        ConsumeEvent(watched[2].fd);
    }
    AfterPollLocked(watched[0].revents, readBefore, emptyWakeups);
    return true;
}

bool PosixSerialDevice::AwaitInputLocked(
    std::unique_lock<std::mutex>& lock, int wake,
    std::optional<std::chrono::steady_clock::time_point> deadline, int& emptyWakeups) {
    const int timeout = ReadLimits::PollTimeout(deadline);
    std::array<pollfd, 2> watched{{{device_.Get(), POLLIN, 0}, {wake, POLLIN, 0}}};
    const std::uint64_t readBefore = bytesRead_;
    readerWakes_.push_back(wake);
    ++waiters_;
    lock.unlock();
    const int result = ::poll(watched.data(), watched.size(), timeout);
    const int error = errno;
    lock.lock();
    std::erase(readerWakes_, wake);
    if (--waiters_ == 0) {
        waitEnded_.notify_all();
    }
    if (result < 0) {
        return error == EINTR;
    }
    if (watched[1].revents != 0) {
        ConsumeEvent(wake);
    }
    // A read woken by news reads the terminal at its next turn, and counts no empty wake-up.
    const short news = watched[1].revents != 0 ? POLLIN : 0;
    AfterPollLocked(static_cast<short>(watched[0].revents & ~news), readBefore, emptyWakeups);
    return true;
}

void PosixSerialDevice::AfterPollLocked(short revents, std::uint64_t readBefore,
                                        int& emptyWakeups) {
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // Take what is still buffered before the end is reported.
        ReceiveLocked();
        MarkGoneLocked();
    } else if ((revents & POLLIN) != 0) {
        ReceiveLocked();
        // Someone else reading in between also counts as progress.
        emptyWakeups = bytesRead_ == readBefore ? emptyWakeups + 1 : 0;
        if (emptyWakeups >= MaximumEmptyWakeups) {
            MarkGoneLocked();
        }
    }
}

void PosixSerialDevice::RoomMadeLocked(std::size_t queuedBefore) {
    if (queuedBefore >= queue_.Capacity() && queue_.Size() < queue_.Capacity() &&
        wakeEvent_.IsOpen()) {
        SignalEvent(wakeEvent_.Get());
    }
}

void PosixSerialDevice::MaskChangedLocked() {
    StartModemWatchLocked();
}

int PosixSerialDevice::FlushLocked(bool input, bool output) {
    // A device that has gone has nothing left to purge; failing here would leave a port that
    // can never be closed.
    if (gone_) {
        return 0;
    }
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(device_.Get(), which) != 0 && !IsUnsupportedByDevice(errno)) {
        return errno;
    }
    return 0;
}

void PosixSerialDevice::ReceiveLocked() {
    if (!device_.IsOpen()) {
        return;
    }
    std::array<char, 4096> buffer;
    for (int i = 0; i < MaximumReadsPerDrain; ++i) {
        // A full queue leaves the rest with the kernel, which holds the sender back, rather than
        // dropping what the port has not read yet.
        const std::size_t room = queue_.Room();
        if (room == 0) {
            return;
        }
        const ssize_t count = ::read(device_.Get(), buffer.data(), std::min(room, buffer.size()));
        if (count > 0) {
            bytesRead_ += static_cast<std::uint64_t>(count);
            QueueLocked(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
            continue;
        }
        // In raw mode with VMIN 0 an empty terminal reads as 0 too, as does a hung-up one:
        // only poll tells them apart.
        if (count == 0) {
            return;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            MarkGoneLocked();
        }
        return;
    }
}

std::optional<PosixSerialDevice::LineCounters> PosixSerialDevice::ReadCountersLocked() const {
    serial_icounter_struct kernel{};
    if (::ioctl(device_.Get(), TIOCGICOUNT, &kernel) != 0) {
        return std::nullopt;
    }
    LineCounters counters;
    counters.cts = kernel.cts;
    counters.dsr = kernel.dsr;
    counters.rng = kernel.rng;
    counters.dcd = kernel.dcd;
    counters.frame = kernel.frame;
    counters.overrun = kernel.overrun;
    counters.parity = kernel.parity;
    counters.brk = kernel.brk;
    counters.bufOverrun = kernel.buf_overrun;
    return counters;
}

void PosixSerialDevice::CheckLineLocked() {
    // A device without the counters (a pseudo-terminal) reports no line errors at all.
    if (!counters_ || gone_) {
        return;
    }
    const auto now = ReadCountersLocked();
    if (!now) {
        return;
    }
    const LineCounters& last = *counters_;
    std::uint32_t errors = 0;
    std::uint32_t events = 0;
    // Compared for change, not growth: the kernel's counters wrap.
    if (now->frame != last.frame) {
        errors |= LineError::Frame;
    }
    if (now->parity != last.parity) {
        errors |= LineError::RxParity;
    }
    if (now->overrun != last.overrun) {
        errors |= LineError::Overrun;
    }
    if (now->bufOverrun != last.bufOverrun) {
        errors |= LineError::RxOver;
    }
    if (now->brk != last.brk) {
        errors |= LineError::Break;
        events |= DeviceEvent::Break;
    }
    if (errors != 0) {
        events |= DeviceEvent::Err;
    }
    if (now->cts != last.cts) {
        events |= DeviceEvent::Cts;
    }
    if (now->dsr != last.dsr) {
        events |= DeviceEvent::Dsr;
    }
    if (now->rng != last.rng) {
        events |= DeviceEvent::Ring;
    }
    if (now->dcd != last.dcd) {
        events |= DeviceEvent::Rlsd;
    }
    errors_ |= errors;
    pendingEvents_ |= events & mask_;
    counters_ = now;
}

void PosixSerialDevice::StartModemWatchLocked() {
    if (modemWatch_.joinable() || !counters_ || !device_.IsOpen() || (mask_ & ModemEvents) == 0) {
        return;
    }
    WakeSignal();
    modemWatchStop_ = false;
    modemWatchEnded_ = false;
    try {
        modemWatch_ = std::thread(&PosixSerialDevice::WatchModemLines, this, device_.Get(),
                                  modemEvent_.Get());
    } catch (const std::system_error&) {
        // Without the thread, modem-line changes are still seen with the next byte or error.
    }
}

void PosixSerialDevice::StopModemWatch() {
    if (!modemWatch_.joinable()) {
        return;
    }
    modemWatchStop_ = true;
    // A signal sent just before the thread enters the ioctl is lost: send until it has ended.
    while (!modemWatchEnded_) {
        ::pthread_kill(modemWatch_.native_handle(), WakeSignal());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    modemWatch_.join();
}

void PosixSerialDevice::WatchModemLines(int device, int event) {
    constexpr int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CD;
    while (!modemWatchStop_) {
        if (::ioctl(device, TIOCMIWAIT, lines) == 0) {
            SignalEvent(event);
        } else if (errno != EINTR) {
            // No modem-line waits on this device, or it has gone: poll sees the rest.
            break;
        }
    }
    modemWatchEnded_ = true;
}
