#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a server answered: its status code, its headers (names in lower case) and its body.
struct HttpReply {
    int status = 0;
    std::map<std::string, std::string> headers;
    std::string body;
};

// One GET of `target` ("/state.json?token=...") from the server at 127.0.0.1:`port`, on a
// connection of its own, with the extra header lines `headers` ("Authorization: Bearer ...").
// Raises std::runtime_error when there is no whole answer within `limit`.
HttpReply HttpGet(std::uint16_t port, const std::string& target,
                  const std::vector<std::string>& headers = {},
                  std::chrono::milliseconds limit = std::chrono::seconds(10));

// Waits until the server at 127.0.0.1:`port` answers a GET of `target`; false when it does not
// within `limit`.
bool WaitUntilServing(std::uint16_t port, const std::string& target,
                      std::chrono::milliseconds limit);

// A TCP port that no one listens on now, for a server a test starts.
std::uint16_t FreeTcpPort();
