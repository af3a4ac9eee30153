#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where a receiver on the network is, as a port name gives it:
//   tcp://HOST:PORT                 a receiver's sentences, as they come, from a TCP server
//   gpsd://HOST[:PORT][/DEVICE]     the sentences gpsd passes on, of all its receivers or of the
//                                   one DEVICE (an absolute path) names
// gpsd's host defaults to localhost and its port to 2947; an IPv6 address stands in brackets
// ("[::1]:2947"). The name is typed by a user or read from a settings file: anything malformed
// is refused, never trusted.
class NetworkAddress {
public:
    enum class Protocol { Tcp, Gpsd };

    // Whether the name asks for the network at all ("gpsd://" or "tcp://" first), well formed
    // or not.
    static bool IsNetworkName(std::string_view name);
    static std::optional<NetworkAddress> Parse(std::string_view name);
    // What is wrong with a name Parse refuses, for a message about it ("the port must be a
    // number from 1 to 65535"); empty for a well-formed name.
    static std::string Flaw(std::string_view name);

    Protocol Kind() const { return protocol_; }
    const std::string& Host() const { return host_; }
    std::uint16_t Port() const { return port_; }
    // gpsd's receiver to watch; empty: all of them.
    const std::string& Device() const { return device_; }

    // "localhost:2947", "[::1]:2947".
    std::string HostAndPort() const;
    // The canonical name: "gpsd://localhost:2947/dev/ttyACM0", "tcp://10.0.0.5:10110".
    std::string Text() const;
    // What a message to the user calls it: "gpsd at localhost:2947", "tcp://10.0.0.5:10110".
    std::string Description() const;

    friend bool operator==(const NetworkAddress&, const NetworkAddress&) = default;

    static constexpr std::uint16_t GpsdPort = 2947;

private:
    NetworkAddress() = default;
    static std::optional<NetworkAddress> Parse(std::string_view name, std::string& flaw);

    Protocol protocol_ = Protocol::Tcp;
    std::string host_;
    std::uint16_t port_ = 0;
    std::string device_;
};
