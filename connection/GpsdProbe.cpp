#include "GpsdProbe.h"

#include "platform/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

bool Await(int socket, short events, Clock::time_point deadline) {
    pollfd wanted{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&wanted, 1, Remaining(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && (wanted.revents & events) != 0;
    }
}

bool Greets(const addrinfo& address, Clock::time_point deadline) {
    FileDescriptor socket(::socket(address.ai_family,
                                   address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                   address.ai_protocol));
    if (!socket.IsOpen()) {
        return false;
    }
    if (::connect(socket.Get(), address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS || !Await(socket.Get(), POLLOUT, deadline)) {
            return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            return false;
        }
    }
    std::string greeting;
    std::array<char, 256> buffer{};
    while (greeting.find('\n') == std::string::npos && greeting.size() < 1024) {
        if (!Await(socket.Get(), POLLIN, deadline)) {
            return false;
        }
        const ssize_t got = ::read(socket.Get(), buffer.data(), buffer.size());
        if (got <= 0) {
            return false;
        }
        greeting.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return greeting.starts_with("{\"class\":\"VERSION\"");
}

} // namespace

bool GpsdProbe::Answers(const std::string& host, std::uint16_t port,
                        std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        if (Greets(*address, deadline)) {
            return true;
        }
    }
    return false;
}
