#pragma once

#include <QHostAddress>

#include <string>
#include <string_view>

// Where the web page listens, as the user gives it: "[ADDRESS:]PORT", the address an IPv4
// address, an IPv6 address in brackets ("[::1]:8080") or "localhost"; without one, 127.0.0.1.
// Host names are not taken: the address says which of the machine's own the page is on.
class WebAddress {
public:
    // Raises Exception saying what is wrong.
    explicit WebAddress(std::string_view text);

    const QHostAddress& Address() const { return address_; }
    quint16 Port() const { return port_; }
    // Only the machine itself can reach the page.
    bool IsLoopback() const { return address_.isLoopback(); }
    // "127.0.0.1:8080", "[::1]:8080".
    std::string Text() const;

private:
    QHostAddress address_{QHostAddress::LocalHost};
    quint16 port_ = 0;
};
