#pragma once

#include "WebResponse.h"

#include <QAbstractHttpServer>

#include <functional>
#include <optional>
#include <string>

class QTcpSocket;

// Answers each whole request the HTTP server has read: without the token (when there is one)
// 401 on every route, methods other than GET and HEAD 405, a path that is not a route's name
// 404 without asking the handler, else the handler's answer, or 404 where it has none. HEAD gets
// the headers of GET. The answer is written at once; `answered` hears of every one.
class WebRequests : public QAbstractHttpServer {
public:
    WebRequests(std::optional<std::string> token, WebHandler handler,
                std::function<void(QTcpSocket*)> answered);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    WebResponse Answer(const QHttpServerRequest& request) const;
    bool Allowed(const QHttpServerRequest& request) const;

    std::optional<std::string> token_;
    WebHandler handler_;
    std::function<void(QTcpSocket*)> answered_;
};
