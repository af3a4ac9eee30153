#pragma once

#include <QHostAddress>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

// Where the web page listens and the limits that keep its clients from slowing the program.
struct WebServerSettings {
    QHostAddress Address = QHostAddress::LocalHost;
    quint16 Port = 0; // 0: any free port (tests)
    // Asked for on every route when set; an address other than loopback needs one.
    std::optional<std::string> Token;
    // Clients at once; a further one is turned away at once, never queued.
    int MaxClients = 16;
    // A client that sends nothing, or stops halfway through a request, is dropped after this.
    std::chrono::milliseconds IdleTimeout{10000};
    // A longer request is refused before the server holds it.
    std::size_t MaxRequestBytes = 8 * 1024;
};
