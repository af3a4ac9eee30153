#include "ConnectAttempt.h"

#include "HostLookup.h"
#include "device/ReadLimits.h"
#include "platform/Formatting.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <utility>

ConnectAttempt::ConnectAttempt(NetworkAddress address, std::chrono::milliseconds limit, int stop)
    : address_(std::move(address)), limit_(limit),
      deadline_(std::chrono::steady_clock::now() + limit), stop_(stop) {}

ConnectAttempt::Wait ConnectAttempt::WaitFor(int fd, short events) const {
    for (;;) {
        std::array<pollfd, 2> watched{{{fd, events, 0}, {stop_, POLLIN, 0}}};
        const int result =
            ::poll(watched.data(), watched.size(), ReadLimits::PollTimeout(deadline_));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        // A poll that fails outright says nothing new: the socket's own calls will.
        if (watched[1].revents != 0) {
            return Wait::Stopped;
        }
        return result == 0 ? Wait::TimedOut : Wait::Ready;
    }
}

bool ConnectAttempt::Await(int fd, short events) {
    const Wait wait = WaitFor(fd, events);
    if (wait == Wait::TimedOut) {
        Fail("no answer within " + DurationText(limit_));
    }
    return wait == Wait::Ready;
}

FileDescriptor ConnectAttempt::Connect() {
    std::unique_ptr<HostLookup> lookup;
    try {
        lookup = std::make_unique<HostLookup>(address_.Host(), address_.Port());
    } catch (const std::system_error& error) {
        Fail(SystemErrorText(error.code().value()));
        return {};
    }
    return Connect(*lookup);
}

FileDescriptor ConnectAttempt::Connect(const HostLookup& lookup) {
    if (!Await(lookup.ReadyEvent(), POLLIN)) {
        return {};
    }
    const auto addresses = lookup.Addresses();
    if (addresses.empty()) {
        failure_ = "Cannot find the host " + address_.Host() + " for " + address_.Description() +
                   ": " + lookup.FailureText();
        nameUnknown_ = lookup.NameUnknown();
        return {};
    }
    // Every address in turn (a name may stand for IPv6 and IPv4 ones); the last reason stays.
    int lastError = 0;
    for (const HostLookup::Address& address : addresses) {
        FileDescriptor socket(
            ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!socket.IsOpen()) {
            lastError = errno;
            continue;
        }
        const auto* const peer = reinterpret_cast<const sockaddr*>(&address.storage);
        if (::connect(socket.Get(), peer, address.length) == 0) {
            return socket;
        }
        if (errno != EINPROGRESS) {
            lastError = errno;
            continue;
        }
        if (!Await(socket.Get(), POLLOUT)) {
            return {};
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            error = errno;
        }
        if (error == 0) {
            return socket;
        }
        lastError = error;
    }
    Fail(SystemErrorText(lastError));
    return {};
}

bool ConnectAttempt::Send(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            Fail(SystemErrorText(errno));
            return false;
        }
        if (!Await(socket, POLLOUT)) {
            return false;
        }
    }
    return true;
}

void ConnectAttempt::Fail(const std::string& reason) {
    failure_ = "Cannot connect to " + address_.Description() + ": " + reason;
}
