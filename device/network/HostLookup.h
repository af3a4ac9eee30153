#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

// Looks up the addresses of a host on a thread of its own. getaddrinfo cannot be interrupted,
// and a name server that does not answer holds it for many seconds: the owner waits in poll on
// ReadyEvent beside whatever else may end its wait, and may drop the lookup before it is done.
// The thread then finishes alone, holding the only share of what it works on.
class HostLookup {
public:
    struct Address {
        int family = AF_UNSPEC;
        sockaddr_storage storage{};
        socklen_t length = 0;
    };

    // Starts the lookup of `host` for TCP `port`; raises std::system_error when no thread or
    // event can be had.
    HostLookup(const std::string& host, std::uint16_t port);

    // Readable once the lookup is done.
    int ReadyEvent() const;
    // Once ReadyEvent is readable: the addresses, in the order to try them, or none and the
    // resolver's words for why not.
    std::vector<Address> Addresses() const;
    std::string FailureText() const;
    // Once ReadyEvent is readable: whether the name exists nowhere (as against a lookup that
    // could not be made now, such as a name server out of reach).
    bool NameUnknown() const;
    // Whether the lookup has ended.
    bool Done() const;
    // Whether it looks up `host` for `port`.
    bool Finds(const std::string& host, std::uint16_t port) const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};
