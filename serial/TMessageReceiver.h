#pragma once

#include <cstdint>
#include <memory>

class TCustomComPort;

// The port's receiver of event messages on the main thread (SyncMethod smWindowSync). A sender
// is released as soon as the main thread has taken its message; the event is then delivered
// there, unless the port has closed or the receiver has gone meanwhile.
class TMessageReceiver {
public:
    static constexpr std::uint32_t EventMessage = 1024 + 1;

    explicit TMessageReceiver(TCustomComPort& port);
    TMessageReceiver(const TMessageReceiver&) = delete;
    TMessageReceiver& operator=(const TMessageReceiver&) = delete;
    ~TMessageReceiver();

    // From the event thread: one event's mask value.
    void Send(std::uint32_t eventMask);
    // On the main thread: delivers one message; other messages and unknown masks are ignored.
    void Receive(std::uint32_t message, std::uint32_t eventMask);

private:
    TCustomComPort& port_;
    std::shared_ptr<TMessageReceiver*> self_;
};
