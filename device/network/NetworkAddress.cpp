#include "NetworkAddress.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

namespace {

constexpr std::string_view TcpScheme = "tcp://";
constexpr std::string_view GpsdScheme = "gpsd://";
// Longer than any name the resolver accepts.
constexpr std::size_t LongestHost = 253;
constexpr std::size_t LongestDevice = 4096;

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > LongestHost) {
        return false;
    }
    for (const char c : host) {
        if (!IsHostCharacter(c)) {
            return false;
        }
    }
    return true;
}

bool IsIpv6Literal(std::string_view host) {
    if (host.empty() || host.size() >= INET6_ADDRSTRLEN) {
        return false;
    }
    const std::string text(host);
    in6_addr address{};
    return ::inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

// The device goes into a JSON string of the request to gpsd: nothing there may need escaping.
bool IsDevicePath(std::string_view device) {
    if (device.size() < 2 || device.size() > LongestDevice || device.front() != '/') {
        return false;
    }
    for (const char c : device) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

constexpr const char* PortRange = "the port must be a number from 1 to 65535";

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || text.front() == '+' || error != std::errc{} || end != last || value == 0 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

struct HostPort {
    std::string host;
    std::optional<std::uint16_t> port;
};

// "HOST", "HOST:PORT", "[V6]", "[V6]:PORT"; an empty host stays empty. Otherwise `flaw` says
// what is wrong.
std::optional<HostPort> ParseAuthority(std::string_view authority, std::string& flaw) {
    HostPort result;
    std::string_view rest;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos || !IsIpv6Literal(authority.substr(1, close - 1))) {
            flaw = "the IPv6 address in brackets is malformed";
            return std::nullopt;
        }
        result.host = std::string(authority.substr(1, close - 1));
        rest = authority.substr(close + 1);
    } else {
        const std::size_t colon = authority.find(':');
        const std::string_view host = authority.substr(0, colon);
        if (!host.empty() && !IsHostName(host)) {
            flaw = host.size() > LongestHost
                       ? "the host name is too long"
                       : "a host name holds only letters, digits, '-', '.' and '_'";
            return std::nullopt;
        }
        result.host = std::string(host);
        rest = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
    }
    if (rest.empty()) {
        return result;
    }
    if (rest.front() != ':') {
        flaw = "only a ':' and the port may follow the host";
        return std::nullopt;
    }
    result.port = ParsePort(rest.substr(1));
    if (!result.port) {
        flaw = PortRange;
        return std::nullopt;
    }
    return result;
}

} // namespace

bool NetworkAddress::IsNetworkName(std::string_view name) {
    return name.starts_with(GpsdScheme) || name.starts_with(TcpScheme);
}

std::optional<NetworkAddress> NetworkAddress::Parse(std::string_view name) {
    std::string flaw;
    return Parse(name, flaw);
}

std::string NetworkAddress::Flaw(std::string_view name) {
    std::string flaw;
    Parse(name, flaw);
    return flaw;
}

std::optional<NetworkAddress> NetworkAddress::Parse(std::string_view name, std::string& flaw) {
    NetworkAddress address;
    std::string_view rest;
    if (name.starts_with(TcpScheme)) {
        address.protocol_ = Protocol::Tcp;
        rest = name.substr(TcpScheme.size());
    } else if (name.starts_with(GpsdScheme)) {
        address.protocol_ = Protocol::Gpsd;
        rest = name.substr(GpsdScheme.size());
    } else {
        flaw = "it begins with neither tcp:// nor gpsd://";
        return std::nullopt;
    }
    const std::size_t slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    const std::string_view path =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    const auto hostPort = ParseAuthority(authority, flaw);
    if (!hostPort) {
        return std::nullopt;
    }
    if (address.protocol_ == Protocol::Tcp) {
        if (hostPort->host.empty()) {
            flaw = "the host is missing";
        } else if (!hostPort->port) {
            flaw = "the port is missing";
        } else if (!path.empty()) {
            flaw = "nothing may follow the port";
        } else {
            address.host_ = hostPort->host;
            address.port_ = *hostPort->port;
            return address;
        }
        return std::nullopt;
    }
    // A lone slash names no receiver: all of them, as without it.
    if (path.size() > 1 && !IsDevicePath(path)) {
        flaw = "the receiver's path is too long or holds a quote, a backslash or a control "
               "character";
        return std::nullopt;
    }
    address.host_ = hostPort->host.empty() ? "localhost" : hostPort->host;
    address.port_ = hostPort->port.value_or(GpsdPort);
    address.device_ = path.size() > 1 ? std::string(path) : std::string();
    return address;
}

std::string NetworkAddress::HostAndPort() const {
    const bool bracketed = host_.find(':') != std::string::npos;
    return (bracketed ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_);
}

std::string NetworkAddress::Text() const {
    if (protocol_ == Protocol::Tcp) {
        return std::string(TcpScheme) + HostAndPort();
    }
    return std::string(GpsdScheme) + HostAndPort() + device_;
}

std::string NetworkAddress::Description() const {
    if (protocol_ == Protocol::Tcp) {
        return Text();
    }
    return "gpsd at " + HostAndPort();
}
