#include "WebListener.h"

#include "WebResponseText.h"

#include "platform/FileDescriptor.h"

#include <QTcpSocket>

#include <algorithm>
#include <memory>
#include <string_view>
#include <sys/socket.h>
#include <utility>

namespace {

using namespace std::chrono_literals;

// Idle clients are looked for a few times per timeout: one is dropped within a quarter of it
// after its time, and an idle server wakes no more often than that.
constexpr int SweepsPerTimeout = 4;
constexpr std::chrono::milliseconds ShortestSweep = 10ms;
// A client that keeps asking while it does not take its answers would have them pile up here
// without end; past this much waiting to go out it is cut off. Far more than a map picture.
constexpr qint64 LargestUnsentAnswers = 4 * 1024 * 1024;

std::string PlainAnswer(int status, std::string body) {
    return WebResponseText({status, "text/plain; charset=utf-8", std::move(body), {}}, true, true);
}

void Drop(QTcpSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

// The HTTP server reads the client on the same signal after this listener: it is cut off from
// the request first, so that it neither parses nor answers it.
void StopReading(QTcpSocket* socket) {
    QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
}

void Refuse(QTcpSocket* socket, int status, std::string text) {
    StopReading(socket);
    socket->write(QByteArray::fromStdString(PlainAnswer(status, std::move(text))));
    socket->disconnectFromHost();
}

// Told on the bare connection, in one send that a fresh connection always has room for; a
// client that cannot take it at once does not hear why.
void TurnAway(qintptr descriptor) {
    const FileDescriptor connection(static_cast<int>(descriptor));
    const std::string answer = PlainAnswer(503, "Too many clients at once; try again shortly.\n");
    ::send(connection.Get(), answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

} // namespace

WebListener::WebListener(Limits limits) : limits_(limits) {
    sweep_.setInterval(std::max(limits_.idleTimeout / SweepsPerTimeout, ShortestSweep));
    connect(&sweep_, &QTimer::timeout, this, [this] { Sweep(); });
}

WebListener::~WebListener() = default;

void WebListener::Answered(QTcpSocket* socket) {
    if (Client* const client = Find(socket)) {
        client->request.Restart();
        client->answered = true;
        client->deadline = QDeadlineTimer(limits_.idleTimeout);
    }
}

void WebListener::incomingConnection(qintptr descriptor) {
    Sweep();
    if (std::cmp_greater_equal(clients_.size(), limits_.maxClients) && !MakeRoom()) {
        TurnAway(descriptor);
        return;
    }
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->setSocketDescriptor(descriptor)) {
        const FileDescriptor unused(static_cast<int>(descriptor));
        return;
    }
    QTcpSocket* const client = socket.release();
    client->setParent(this);
    // Before the HTTP server's own reading, which it connects when it takes the connection.
    connect(client, &QIODevice::readyRead, this, [this, client] { Received(client); });
    connect(client, &QIODevice::bytesWritten, this, [this, client] {
        if (Client* const found = Find(client)) {
            found->deadline = QDeadlineTimer(limits_.idleTimeout);
        }
    });
    clients_.push_back(
        {client, WebRequestCheck(limits_.maxRequestBytes), QDeadlineTimer(limits_.idleTimeout)});
    addPendingConnection(client);
    if (!sweep_.isActive()) {
        sweep_.start();
    }
}

WebListener::Client* WebListener::Find(const QTcpSocket* socket) {
    const auto found =
        std::find_if(clients_.begin(), clients_.end(),
                     [socket](const Client& client) { return client.socket == socket; });
    return found == clients_.end() ? nullptr : &*found;
}

// What has come is counted, not taken: the HTTP server reads it next.
void WebListener::Received(QTcpSocket* socket) {
    Client* const client = Find(socket);
    if (client == nullptr) {
        return;
    }
    if (socket->bytesToWrite() > LargestUnsentAnswers) {
        StopReading(socket);
        Drop(socket);
        return;
    }
    const QByteArray bytes = socket->peek(socket->bytesAvailable());
    switch (client->request.Add(std::string_view(bytes.constData(), bytes.size()))) {
    case WebRequestCheck::Verdict::Fits:
        break;
    case WebRequestCheck::Verdict::HeadTooLarge:
        Refuse(socket, 431, "The request's headers are too large.\n");
        break;
    case WebRequestCheck::Verdict::BodyTooLarge:
        Refuse(socket, 413, "The request is too large.\n");
        break;
    case WebRequestCheck::Verdict::NotARoute:
        Refuse(socket, 404, "No such page.\n");
        break;
    }
}

void WebListener::Sweep() {
    std::vector<QTcpSocket*> dropped;
    std::erase_if(clients_, [&dropped](const Client& client) {
        if (client.socket.isNull()) {
            return true;
        }
        if (client.socket->state() == QAbstractSocket::UnconnectedState ||
            client.deadline.hasExpired()) {
            dropped.push_back(client.socket);
            return true;
        }
        return false;
    });
    for (QTcpSocket* const socket : dropped) {
        Drop(socket);
    }
    if (clients_.empty()) {
        sweep_.stop();
    }
}

// A browser keeps its connection open between requests; the one kept longest gives way to a
// new client, which the browser then sees as a connection closed and opens anew.
bool WebListener::MakeRoom() {
    const auto waiting = [](const Client& client) {
        return client.answered && !client.request.Started();
    };
    auto oldest = clients_.end();
    for (auto client = clients_.begin(); client != clients_.end(); ++client) {
        if (waiting(*client) &&
            (oldest == clients_.end() ||
             client->deadline.deadlineNSecs() < oldest->deadline.deadlineNSecs())) {
            oldest = client;
        }
    }
    if (oldest == clients_.end()) {
        return false;
    }
    const QPointer<QTcpSocket> socket = oldest->socket;
    clients_.erase(oldest);
    if (socket) {
        Drop(socket);
    }
    return true;
}
