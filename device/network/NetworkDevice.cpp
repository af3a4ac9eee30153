#include "NetworkDevice.h"

#include "ConnectAttempt.h"
#include "GpsdStream.h"
#include "HostLookup.h"
#include "device/EventSignal.h"
#include "platform/Formatting.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// What one receive takes from the socket at most; the queue takes it in as room allows.
constexpr std::size_t ReceiveSize = 4096;
// ReceiveInto's word for a connection the peer has closed.
constexpr int EndOfStream = -1;
// A peer that vanished without a word (a cable pulled, a machine switched off) is given up after
// some 25 s of unanswered probes or of data sent in vain, before the silence limit in most cases.
constexpr int KeepAliveIdle = 10;       // s without traffic before the first probe
constexpr int KeepAliveInterval = 5;    // s between probes
constexpr int KeepAliveProbes = 3;      // unanswered probes before the end
constexpr unsigned UserTimeout = 25000; // ms

// Best effort: a socket that refuses these is still read, and the silence limit still holds.
void KeepAlive(int socket) {
    const int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPIDLE, &KeepAliveIdle, sizeof KeepAliveIdle);
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPINTVL, &KeepAliveInterval, sizeof KeepAliveInterval);
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &KeepAliveProbes, sizeof KeepAliveProbes);
    ::setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &UserTimeout, sizeof UserTimeout);
}

// Appends what the socket holds, up to ReceiveSize bytes, to `received`, through gpsd's filter
// when there is one. 0 also when there was nothing to receive yet; EndOfStream; or the error.
int ReceiveInto(int socket, std::optional<GpsdStream>& gpsd, std::string& received) {
    std::array<char, ReceiveSize> buffer;
    for (;;) {
        const ssize_t count = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (count > 0) {
            const std::string_view bytes(buffer.data(), static_cast<std::size_t>(count));
            if (gpsd) {
                gpsd->Feed(bytes, received);
            } else {
                received.append(bytes);
            }
            return 0;
        }
        if (count == 0) {
            return EndOfStream;
        }
        if (errno != EINTR) {
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
        }
    }
}

} // namespace

NetworkDevice::NetworkDevice(std::chrono::milliseconds connectLimit,
                             std::chrono::milliseconds silenceLimit)
    : connectLimit_(connectLimit), silenceLimit_(silenceLimit) {}

NetworkDevice::~NetworkDevice() {
    Close();
}

int NetworkDevice::Open(const std::string& port) {
    const std::lock_guard lock(mutex_);
    if (open_ || closing_) {
        return EBUSY;
    }
    const auto address = NetworkAddress::Parse(port);
    if (!address) {
        failure_ = "The address " + port + " is malformed: " + NetworkAddress::Flaw(port);
        failureLasts_ = true;
        return EINVAL;
    }
    std::array<FileDescriptor, 3> events;
    for (FileDescriptor& event : events) {
        event.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!event.IsOpen()) {
            return errno;
        }
    }
    StartLocked();
    senderWaits_ = false;
    failure_.clear();
    failureLasts_ = false;
    try {
        if (!lookup_ || lookup_->Done() || !lookup_->Finds(address->Host(), address->Port())) {
            lookup_ = std::make_shared<const HostLookup>(address->Host(), address->Port());
        }
        connection_ = std::thread(&NetworkDevice::Run, this, *address, lookup_, events[1].Get(),
                                  events[2].Get());
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    wakeEvent_ = std::move(events[0]);
    stopEvent_ = std::move(events[1]);
    roomEvent_ = std::move(events[2]);
    open_ = true;
    return 0;
}

void NetworkDevice::Close() {
    std::unique_lock lock(mutex_);
    if (!open_ || closing_) {
        return;
    }
    // Waits still blocked in poll must leave it, and the connection end, before the eventfds
    // are closed. The connection never blocks past a stop: Close does not wait for long.
    SignalEvent(stopEvent_.Get());
    EndWaitsLocked(lock);
    std::thread connection = std::move(connection_);
    lock.unlock();
    connection.join();
    lock.lock();

    wakeEvent_.Reset();
    stopEvent_.Reset();
    roomEvent_.Reset();
    ClearLocked();
    senderWaits_ = false;
    open_ = false;
    closing_ = false;
}

bool NetworkDevice::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return open_ && !closing_;
}

int NetworkDevice::SetCommState(const DeviceControlBlock& control) {
    const std::lock_guard lock(mutex_);
    if (!open_) {
        return EBADF;
    }
    // Only the event character and fNull mean anything without a line.
    control_ = control;
    return 0;
}

int NetworkDevice::GetCommModemStatus(std::uint32_t& status) {
    status = 0;
    const std::lock_guard lock(mutex_);
    return open_ ? 0 : EBADF;
}

bool NetworkDevice::HasSourceLocked() const {
    return open_;
}

bool NetworkDevice::AwaitEventLocked(std::unique_lock<std::mutex>& lock, int& /*emptyWakeups*/) {
    AwaitLocked(lock, wakeEvent_.Get(), std::nullopt);
    return true;
}

bool NetworkDevice::AwaitInputLocked(std::unique_lock<std::mutex>& lock, int wake,
                                     std::optional<std::chrono::steady_clock::time_point> deadline,
                                     int& /*emptyWakeups*/) {
    readerWakes_.push_back(wake);
    AwaitLocked(lock, wake, deadline);
    std::erase(readerWakes_, wake);
    return true;
}

void NetworkDevice::RoomMadeLocked(std::size_t /*queuedBefore*/) {
    WakeSenderLocked();
}

void NetworkDevice::QueueResizedLocked() {
    WakeSenderLocked();
}

std::string NetworkDevice::FailureText() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

bool NetworkDevice::FailureLasts() const {
    const std::lock_guard lock(mutex_);
    return failureLasts_;
}

void NetworkDevice::Run(NetworkAddress address, std::shared_ptr<const HostLookup> lookup, int stop,
                        int room) {
    ConnectAttempt attempt(address, connectLimit_, stop);
    std::optional<GpsdStream> gpsd;
    if (address.Kind() == NetworkAddress::Protocol::Gpsd) {
        gpsd.emplace(address.Device());
    }
    std::string received;
    std::string failure;
    const FileDescriptor socket = Connect(attempt, *lookup, address, gpsd, received, failure);
    if (!socket.IsOpen()) {
        if (!failure.empty()) {
            const std::lock_guard lock(mutex_);
            FailLocked(failure);
            failureLasts_ = attempt.NameUnknown();
        }
        return;
    }
    KeepAlive(socket.Get());
    Receive(socket.Get(), address, gpsd, std::move(received), stop, room);
}

FileDescriptor NetworkDevice::Connect(ConnectAttempt& attempt, const HostLookup& lookup,
                                      const NetworkAddress& address,
                                      std::optional<GpsdStream>& gpsd, std::string& received,
                                      std::string& failure) {
    FileDescriptor socket = attempt.Connect(lookup);
    if (!socket.IsOpen() || !gpsd) {
        failure = attempt.Failure();
        return socket;
    }
    if (attempt.Send(socket.Get(), GpsdStream::WatchRequest(address.Device()))) {
        // Whatever else comes with the greeting is kept for the queue.
        while (gpsd->GreetingState() == GpsdStream::Greeting::Awaited &&
               attempt.Await(socket.Get(), POLLIN)) {
            if (const int result = ReceiveInto(socket.Get(), gpsd, received); result != 0) {
                attempt.Fail(result == EndOfStream ? "the connection was closed by the other end"
                                                   : SystemErrorText(result));
                break;
            }
        }
    }
    switch (gpsd->GreetingState()) {
    case GpsdStream::Greeting::Received:
        return socket;
    case GpsdStream::Greeting::Wrong:
        failure = address.Description() + " answered with something else";
        return {};
    case GpsdStream::Greeting::Awaited:
        break;
    }
    failure = attempt.Failure();
    return {};
}

void NetworkDevice::Receive(int socket, const NetworkAddress& address,
                            std::optional<GpsdStream>& gpsd, std::string received, int stop,
                            int room) {
    const std::string peer = address.Description();
    auto silentUntil = std::chrono::steady_clock::now() + silenceLimit_;
    for (;;) {
        bool waitsForRoom = false;
        {
            const std::lock_guard lock(mutex_);
            if (closing_) {
                return;
            }
            waitsForRoom = !DeliverLocked(received);
            senderWaits_ = waitsForRoom;
            if (gpsd && !gpsd->Trouble().empty()) {
                FailLocked(peer + ": " + gpsd->Trouble());
                return;
            }
        }
        // While the queue is full the socket is left alone, so that the kernel holds the sender
        // back; the end of the connection is seen once there is room again. The silence is then
        // the reader's, not the source's.
        if (waitsForRoom) {
            silentUntil = std::chrono::steady_clock::now() + silenceLimit_;
        }
        std::array<pollfd, 3> watched{
            {{waitsForRoom ? -1 : socket, POLLIN, 0}, {stop, POLLIN, 0}, {room, POLLIN, 0}}};
        const int polled = ::poll(watched.data(), watched.size(),
                                  waitsForRoom ? -1 : ReadLimits::PollTimeout(silentUntil));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        std::string failure;
        if (polled < 0) {
            failure = "The connection to " + peer + " failed: " + SystemErrorText(errno);
        } else if (watched[1].revents != 0) {
            return;
        } else if (polled == 0 && std::chrono::steady_clock::now() >= silentUntil) {
            failure =
                "The connection to " + peer + " brought no data for " + DurationText(silenceLimit_);
        } else {
            if (watched[2].revents != 0) {
                ConsumeEvent(room);
            }
            if (watched[0].revents == 0) {
                continue;
            }
            silentUntil = std::chrono::steady_clock::now() + silenceLimit_;
            const int result = ReceiveInto(socket, gpsd, received);
            if (result == 0) {
                continue;
            }
            failure = result == EndOfStream
                          ? "The connection to " + peer + " was closed by the other end"
                          : "The connection to " + peer + " failed: " + SystemErrorText(result);
        }
        const std::lock_guard lock(mutex_);
        FailLocked(failure);
        return;
    }
}

bool NetworkDevice::DeliverLocked(std::string& received) {
    const std::size_t count = std::min(queue_.Room(), received.size());
    if (count == 0) {
        return received.empty();
    }
    const std::uint32_t pending = QueueLocked(std::string_view(received).substr(0, count));
    received.erase(0, count);
    if (pending != 0) {
        SignalEvent(wakeEvent_.Get());
    }
    return received.empty();
}

void NetworkDevice::AwaitLocked(std::unique_lock<std::mutex>& lock, int wake,
                                std::optional<std::chrono::steady_clock::time_point> deadline) {
    pollfd watched{wake, POLLIN, 0};
    ++waiters_;
    lock.unlock();
    const int result = ::poll(&watched, 1, ReadLimits::PollTimeout(deadline));
    lock.lock();
    if (--waiters_ == 0) {
        waitEnded_.notify_all();
    }
    if (result > 0) {
        ConsumeEvent(wake);
    }
}

void NetworkDevice::WakeSenderLocked() {
    if (senderWaits_ && queue_.Room() > 0) {
        senderWaits_ = false;
        SignalEvent(roomEvent_.Get());
    }
}

void NetworkDevice::FailLocked(const std::string& text) {
    if (gone_) {
        return;
    }
    failure_ = text;
    // Found by the connection's thread: the waits hear of it.
    MarkGoneLocked();
}
