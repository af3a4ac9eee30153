#pragma once

#include "WebRequestCheck.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <vector>

class QTcpSocket;

// Takes the web page's clients within limits, so that no number or kind of client can hold up
// the program's own work on the same event loop: at most `maxClients` at once (a further one is
// answered 503 and closed at once, unless a client between requests can make room), a client
// that has not sent a whole request within `idleTimeout` of connecting, of its last answer or
// of the last bytes it took of one is dropped, and a request over `maxRequestBytes` or for what
// cannot be a route is refused (431, 413, 404) and its connection closed before the HTTP server
// holds it.
class WebListener : public QTcpServer {
public:
    struct Limits {
        int maxClients = 16;
        std::chrono::milliseconds idleTimeout{10000};
        std::size_t maxRequestBytes = 8 * 1024;
    };

    explicit WebListener(Limits limits);
    WebListener(const WebListener&) = delete;
    WebListener& operator=(const WebListener&) = delete;
    ~WebListener() override;

    // The client's request has been answered: its next one starts afresh, with its full time.
    void Answered(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Client {
        QPointer<QTcpSocket> socket;
        WebRequestCheck request;
        QDeadlineTimer deadline;
        bool answered = false;
    };

    Client* Find(const QTcpSocket* socket);
    void Received(QTcpSocket* socket);
    void Sweep();
    bool MakeRoom();

    Limits limits_;
    std::vector<Client> clients_;
    QTimer sweep_;
};
