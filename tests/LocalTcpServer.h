#pragma once

#include "platform/FileDescriptor.h"

#include <cstdint>
#include <string>
#include <string_view>

// A TCP server of the test's own on 127.0.0.1, at a port the system picks, that serves one
// client at a time as the test says. Every wait has a deadline far beyond what a test needs and
// raises std::runtime_error when it passes, so that a fault fails the test instead of hanging it.
class LocalTcpServer {
public:
    // `backlog` as listen takes it: 0 with FillBacklog makes a server that answers no one.
    explicit LocalTcpServer(int backlog = 4);

    std::uint16_t Port() const { return port_; }
    // "tcp://127.0.0.1:PORT", or with another scheme, such as "gpsd".
    std::string Name(const std::string& scheme = "tcp") const;

    // Waits for the next client, which becomes the one served.
    void Accept();
    // Sends all of `bytes` to the client, waiting while the connection is full.
    void Send(std::string_view bytes);
    // Sends what the connection takes now, without waiting; returns how much.
    std::size_t SendSome(std::string_view bytes);
    // The client's next line, with its '\n'.
    std::string ReceiveLine();
    // Ends the connection in order: the client reads its end.
    void CloseClient();
    // Ends the connection with a reset, as a peer that crashed or gave up does.
    void ResetClient();
    // Queues a connection of the server's own that it never accepts: with a backlog of 0 the
    // kernel then answers no further client at all, and their connects wait.
    void FillBacklog();

private:
    FileDescriptor listener_;
    FileDescriptor client_;
    FileDescriptor filler_;
    std::string received_;
    std::uint16_t port_ = 0;
};
