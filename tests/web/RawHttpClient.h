#pragma once

#include "platform/FileDescriptor.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <string>
#include <string_view>

// One answer as the client read it; header names in lower case.
struct WebReply {
    int status = 0;
    std::map<std::string, std::string> headers;
    std::string body;
};

// Runs this thread's event loop, where the server under test works, until `done` holds; false
// when it does not within a deadline far beyond what a test needs.
bool RunEventsUntil(const std::function<bool()>& done);

// A client of the server under test on a raw socket to 127.0.0.1: it sends the bytes the test
// writes as they are, and runs the event loop while it waits. Every wait has a deadline.
class RawHttpClient {
public:
    explicit RawHttpClient(quint16 port);

    // False when the server has ended the connection.
    bool Send(std::string_view bytes);
    // The next whole answer (its head and, unless it answers HEAD, its Content-Length body);
    // raises std::runtime_error when none comes.
    WebReply Receive(bool head = false);
    // Until the server has ended the connection; false when it has not by the deadline.
    bool WaitClosed();
    // Whether the server has ended the connection, from what has come so far.
    bool Closed();

private:
    void ReadAvailable();

    FileDescriptor socket_;
    std::string received_;
    bool closed_ = false;
};

// "GET /path HTTP/1.1" with a Host header and the `extra` header lines, each ending in "\r\n".
std::string Request(std::string_view method, std::string_view target, std::string_view extra = "");
