#include "HttpGet.h"

#include "platform/FileDescriptor.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Waits for `events` on `fd` until `deadline`; raises when they do not come.
void Await(int fd, short events, Clock::time_point deadline, const char* what) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            throw std::runtime_error(std::string("HTTP: no ") + what + " in time");
        }
        pollfd watched{fd, events, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) > 0) {
            return;
        }
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The reply once `received` holds all of it (the body as long as Content-Length says, or all
// that came before the server closed when `closed`); nothing while more is to come.
std::optional<HttpReply> Parse(const std::string& received, bool closed) {
    const std::size_t headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        if (closed) {
            throw std::runtime_error("HTTP: the server closed before a whole head");
        }
        return std::nullopt;
    }
    HttpReply reply;
    const std::size_t firstEnd = received.find("\r\n");
    const std::string statusLine = received.substr(0, firstEnd);
    if (!statusLine.starts_with("HTTP/1.") || statusLine.size() < 12) {
        throw std::runtime_error("HTTP: not a status line: " + statusLine);
    }
    reply.status = std::stoi(statusLine.substr(9, 3));
    for (std::size_t at = firstEnd + 2; at < headEnd;) {
        const std::size_t end = received.find("\r\n", at);
        const std::string line = received.substr(at, end - at);
        if (const std::size_t colon = line.find(':'); colon != std::string::npos) {
            const std::size_t value = line.find_first_not_of(' ', colon + 1);
            reply.headers[Lower(line.substr(0, colon))] =
                value == std::string::npos ? std::string() : line.substr(value);
        }
        at = end + 2;
    }
    const std::string body = received.substr(headEnd + 4);
    if (const auto length = reply.headers.find("content-length"); length != reply.headers.end()) {
        const std::size_t expected = std::stoul(length->second);
        if (body.size() < expected) {
            if (closed) {
                throw std::runtime_error("HTTP: the server closed inside the body");
            }
            return std::nullopt;
        }
        reply.body = body.substr(0, expected);
        return reply;
    }
    if (!closed) {
        return std::nullopt;
    }
    reply.body = body;
    return reply;
}

} // namespace

HttpReply HttpGet(std::uint16_t port, const std::string& target,
                  const std::vector<std::string>& headers, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    const FileDescriptor connection(
        ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!connection.IsOpen()) {
        throw std::runtime_error("HTTP: no socket");
    }
    const sockaddr_in address = Loopback(port);
    if (::connect(connection.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0 &&
        errno != EINPROGRESS) {
        throw std::runtime_error("HTTP: cannot connect");
    }
    Await(connection.Get(), POLLOUT, deadline, "connection");
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(connection.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
        throw std::runtime_error("HTTP: cannot connect");
    }
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\n";
    for (const std::string& header : headers) {
        request += header + "\r\n";
    }
    request += "\r\n";
    for (std::string_view left = request; !left.empty();) {
        Await(connection.Get(), POLLOUT, deadline, "room to send");
        const ssize_t sent = ::send(connection.Get(), left.data(), left.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("HTTP: the server closed before the request was sent");
        }
        left.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(sent, 0)));
    }
    std::string received;
    for (;;) {
        Await(connection.Get(), POLLIN, deadline, "answer");
        char buffer[65536];
        const ssize_t got = ::recv(connection.Get(), buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
        }
        if (std::optional<HttpReply> reply = Parse(received, got <= 0)) {
            return *reply;
        }
    }
}

bool WaitUntilServing(std::uint16_t port, const std::string& target,
                      std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        try {
            HttpGet(port, target, {}, std::chrono::seconds(2));
            return true;
        } catch (const std::runtime_error&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return false;
}

std::uint16_t FreeTcpPort() {
    const FileDescriptor probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (!probe.IsOpen() ||
        ::bind(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free TCP port");
    }
    return ntohs(address.sin_port);
}
