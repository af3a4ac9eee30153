#include "LocalTcpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int LongestWaitMs = 20000;

void AwaitReady(int fd, short events, const char* what) {
    pollfd watched{fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&watched, 1, LongestWaitMs);
    } while (result < 0 && errno == EINTR);
    if (result <= 0) {
        throw std::runtime_error(std::string("local TCP server: no ") + what);
    }
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

LocalTcpServer::LocalTcpServer(int backlog)
    : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (!listener_.IsOpen() ||
        ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.Get(), backlog) != 0 ||
        ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("local TCP server: cannot listen");
    }
    port_ = ntohs(address.sin_port);
}

std::string LocalTcpServer::Name(const std::string& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(port_);
}

void LocalTcpServer::Accept() {
    AwaitReady(listener_.Get(), POLLIN, "client");
    client_.Reset(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!client_.IsOpen()) {
        throw std::runtime_error("local TCP server: accept failed");
    }
    received_.clear();
}

void LocalTcpServer::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        bytes.remove_prefix(SendSome(bytes));
        if (!bytes.empty()) {
            AwaitReady(client_.Get(), POLLOUT, "room to send");
        }
    }
}

std::size_t LocalTcpServer::SendSome(std::string_view bytes) {
    const ssize_t sent = ::send(client_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        throw std::runtime_error("local TCP server: send failed");
    }
    return sent < 0 ? 0 : static_cast<std::size_t>(sent);
}

std::string LocalTcpServer::ReceiveLine() {
    for (;;) {
        if (const std::size_t end = received_.find('\n'); end != std::string::npos) {
            std::string line = received_.substr(0, end + 1);
            received_.erase(0, end + 1);
            return line;
        }
        AwaitReady(client_.Get(), POLLIN, "line from the client");
        char buffer[512];
        const ssize_t count = ::recv(client_.Get(), buffer, sizeof buffer, 0);
        if (count == 0) {
            throw std::runtime_error("local TCP server: the client left");
        }
        if (count > 0) {
            received_.append(buffer, static_cast<std::size_t>(count));
        }
    }
}

void LocalTcpServer::CloseClient() {
    client_.Reset();
}

void LocalTcpServer::ResetClient() {
    const linger now{1, 0};
    ::setsockopt(client_.Get(), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    client_.Reset();
}

void LocalTcpServer::FillBacklog() {
    filler_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const sockaddr_in address = Loopback(port_);
    if (::connect(filler_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0 &&
        errno != EINPROGRESS) {
        throw std::runtime_error("local TCP server: cannot fill the backlog");
    }
    AwaitReady(filler_.Get(), POLLOUT, "connection to fill the backlog");
}
