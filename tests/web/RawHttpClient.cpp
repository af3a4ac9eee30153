#include "RawHttpClient.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>

namespace {

using namespace std::chrono_literals;

constexpr auto Deadline = 10s;

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The reply at the start of `text`, and how long it is; none while it is not whole.
std::optional<std::pair<WebReply, std::size_t>> ParseReply(const std::string& text, bool head) {
    const std::size_t end = text.find("\r\n\r\n");
    if (end == std::string::npos) {
        return std::nullopt;
    }
    WebReply reply;
    reply.status = std::stoi(text.substr(text.find(' ') + 1, 3));
    std::size_t line = text.find("\r\n") + 2;
    while (line < end) {
        const std::size_t next = text.find("\r\n", line);
        const std::string field = text.substr(line, next - line);
        const std::size_t colon = field.find(':');
        reply.headers[Lower(field.substr(0, colon))] = field.substr(colon + 2);
        line = next + 2;
    }
    const std::size_t length = head ? 0 : std::stoul(reply.headers["content-length"]);
    if (text.size() < end + 4 + length) {
        return std::nullopt;
    }
    reply.body = text.substr(end + 4, length);
    return std::pair{reply, end + 4 + length};
}

} // namespace

bool RunEventsUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + Deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ::poll(nullptr, 0, 1);
    }
    return true;
}

RawHttpClient::RawHttpClient(quint16 port)
    : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!socket_.IsOpen() || (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&address),
                                        sizeof address) != 0 &&
                              errno != EINPROGRESS)) {
        throw std::runtime_error("cannot connect to the server under test");
    }
    // The server takes the connection on its next turn of the event loop.
    QCoreApplication::processEvents();
}

bool RawHttpClient::Send(std::string_view bytes) {
    bool ended = false;
    const bool sent = RunEventsUntil([&] {
        const ssize_t written = ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno != EAGAIN && errno != ENOTCONN) {
            ended = true;
        }
        return ended || bytes.empty();
    });
    if (!sent) {
        throw std::runtime_error("the server under test takes no more bytes");
    }
    return !ended;
}

WebReply RawHttpClient::Receive(bool head) {
    std::optional<std::pair<WebReply, std::size_t>> reply;
    RunEventsUntil([&] {
        ReadAvailable();
        reply = ParseReply(received_, head);
        return reply.has_value() || closed_;
    });
    if (!reply) {
        throw std::runtime_error("no whole answer came; what came: " + received_);
    }
    received_.erase(0, reply->second);
    return reply->first;
}

bool RawHttpClient::WaitClosed() {
    return RunEventsUntil([&] { return Closed(); });
}

bool RawHttpClient::Closed() {
    ReadAvailable();
    return closed_;
}

void RawHttpClient::ReadAvailable() {
    char buffer[16384];
    while (!closed_) {
        const ssize_t count = ::recv(socket_.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (count > 0) {
            received_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            closed_ = true;
        } else {
            return;
        }
    }
}

std::string Request(std::string_view method, std::string_view target, std::string_view extra) {
    return std::string(method) + " " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
           std::string(extra) + "\r\n";
}
