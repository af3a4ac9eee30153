#include "WebServer.h"

#include "WebListener.h"
#include "WebRequests.h"

#include "platform/Exception.h"

#include <utility>

namespace {

std::string Where(const QHostAddress& address, quint16 port) {
    const std::string host = address.toString().toStdString();
    return (address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + host + "]" : host) + ":" +
           std::to_string(port);
}

} // namespace

WebServer::WebServer(WebServerSettings settings, WebHandler handler) {
    if (!settings.Token && !settings.Address.isLoopback()) {
        throw Exception("The web page on " + Where(settings.Address, settings.Port) +
                        " needs an access token: only a loopback address goes without one.");
    }
    listener_ = std::make_unique<WebListener>(
        WebListener::Limits{settings.MaxClients, settings.IdleTimeout, settings.MaxRequestBytes});
    if (!listener_->listen(settings.Address, settings.Port)) {
        throw Exception("Cannot listen for the web page on " +
                        Where(settings.Address, settings.Port) + ": " +
                        listener_->errorString().toStdString());
    }
    WebListener* const listener = listener_.get();
    requests_ = std::make_unique<WebRequests>(
        std::move(settings.Token), std::move(handler),
        [listener](QTcpSocket* socket) { listener->Answered(socket); });
    requests_->bind(listener);
}

WebServer::~WebServer() = default;

quint16 WebServer::Port() const {
    return listener_->serverPort();
}
