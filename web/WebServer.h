#pragma once

#include "WebResponse.h"
#include "WebServerSettings.h"

#include <QtGlobal>

#include <memory>

class WebListener;
class WebRequests;

// The program's read-only web page on the calling thread's event loop (the program's main
// loop): every request is answered there without waiting for anything, so that it never holds
// up reception on the same loop. Only GET and HEAD of fixed routes are served, each through the
// handler; the token, when set, is asked for on every route.
class WebServer {
public:
    // Raises Exception when it cannot listen, or when an address other than loopback has no
    // token.
    WebServer(WebServerSettings settings, WebHandler handler);
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;
    ~WebServer();

    quint16 Port() const;

private:
    std::unique_ptr<WebRequests> requests_;
    // After the requests: it goes first, with its clients, while the requests still stand.
    std::unique_ptr<WebListener> listener_;
};
