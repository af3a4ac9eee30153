#include "WebAddress.h"

#include "platform/Exception.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

namespace {

constexpr std::string_view Localhost = "localhost";

[[noreturn]] void Refuse(std::string_view text, const std::string& flaw) {
    throw Exception("The web page's address \"" + std::string(text) + "\" is not valid: " + flaw +
                    ".");
}

quint16 ParsePort(std::string_view text, std::string_view whole) {
    unsigned value = 0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || text.front() == '+' || error != std::errc{} || end != last || value == 0 ||
        value > 65535) {
        Refuse(whole, "the port must be a number from 1 to 65535");
    }
    return static_cast<quint16>(value);
}

QHostAddress ParseIpv6(std::string_view text, std::string_view whole) {
    in6_addr address{};
    if (text.size() >= INET6_ADDRSTRLEN ||
        ::inet_pton(AF_INET6, std::string(text).c_str(), &address) != 1) {
        Refuse(whole, "the IPv6 address in brackets is malformed");
    }
    return QHostAddress(address.s6_addr);
}

QHostAddress ParseHost(std::string_view text, std::string_view whole) {
    in_addr address{};
    if (text == Localhost) {
        return QHostAddress(QHostAddress::LocalHost);
    }
    if (text.size() >= INET_ADDRSTRLEN ||
        ::inet_pton(AF_INET, std::string(text).c_str(), &address) != 1) {
        Refuse(whole, "the address must be an IPv4 address (127.0.0.1), an IPv6 address in "
                      "brackets ([::1]) or localhost");
    }
    return QHostAddress(ntohl(address.s_addr));
}

} // namespace

WebAddress::WebAddress(std::string_view text) {
    if (text.empty()) {
        Refuse(text, "the port is missing");
    }
    std::string_view port = text;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            Refuse(text, "the IPv6 address has no closing ']'");
        }
        address_ = ParseIpv6(text.substr(1, close - 1), text);
        port = text.substr(close + 1);
        if (!port.starts_with(':')) {
            Refuse(text, "the port must follow the address after a ':'");
        }
        port.remove_prefix(1);
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        if (text.find(':', colon + 1) != std::string_view::npos) {
            Refuse(text, "an IPv6 address stands in brackets, as in [::1]:8080");
        }
        address_ = ParseHost(text.substr(0, colon), text);
        port = text.substr(colon + 1);
    }
    port_ = ParsePort(port, text);
}

std::string WebAddress::Text() const {
    const std::string address = address_.toString().toStdString();
    const std::string host =
        address_.protocol() == QAbstractSocket::IPv6Protocol ? "[" + address + "]" : address;
    return host + ":" + std::to_string(port_);
}
