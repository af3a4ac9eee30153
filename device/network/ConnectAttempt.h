#pragma once

#include "NetworkAddress.h"
#include "platform/FileDescriptor.h"

#include <chrono>
#include <string>
#include <string_view>

// One attempt at a TCP connection, from looking the host up to the peer's first answer, made
// on a thread that may block for it: but never past the time limit, which starts with the
// attempt, nor past a stop. Every wait is a poll that also watches the eventfd `stop`.
class HostLookup;

class ConnectAttempt {
public:
    ConnectAttempt(NetworkAddress address, std::chrono::milliseconds limit, int stop);

    // Waits for `events` on `fd`; false when stopped, or when the time limit has passed, which
    // makes Failure() say so.
    bool Await(int fd, short events);

    // The connected socket, non-blocking; none when stopped, or when it failed and
    // Failure() says why.
    FileDescriptor Connect();
    // The same with the host looked up by `lookup`, which may have begun before the attempt
    // (the limit counts from the attempt all the same).
    FileDescriptor Connect(const HostLookup& lookup);
    // Sends all of `bytes`; false when stopped, or when it failed and Failure() says why.
    bool Send(int socket, std::string_view bytes);

    // Records a failure, in the words of a failed connection to the address.
    void Fail(const std::string& reason);
    // Why the attempt failed; empty when it was stopped or has not failed.
    const std::string& Failure() const { return failure_; }
    // Whether it failed because the host's name does not exist, which trying again will not
    // mend (a name server that cannot be reached now might).
    bool NameUnknown() const { return nameUnknown_; }

private:
    enum class Wait { Ready, Stopped, TimedOut };
    Wait WaitFor(int fd, short events) const;

    NetworkAddress address_;
    std::chrono::milliseconds limit_;
    std::chrono::steady_clock::time_point deadline_;
    int stop_;
    std::string failure_;
    bool nameUnknown_ = false;
};
