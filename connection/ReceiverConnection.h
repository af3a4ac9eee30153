#pragma once

#include "ConnectionState.h"
#include "serial/ComTypes.h"
#include "serial/TComLink.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QTimer;
class TCustomComPort;

// The one owner of the receiver's connection state. The user starts and stops reception here;
// a receiver that goes away while reception is started (a device unplugged, a connection closed,
// gpsd restarted) is closed, reported in a status text, and opened again every RetryInterval
// until it answers or the user stops. Between tries nothing runs: one single-shot timer waits.
//
// It takes the port's OnError and attaches a link, so that the loss and the first data after an
// open reach it whatever thread delivers them; its own work runs on the thread that made it (the
// main thread). The map is none of its business: losing and regaining the receiver never touches
// what has been received.
class ReceiverConnection {
public:
    using StateEvent = std::function<void(ConnectionState state)>;

    static constexpr std::chrono::milliseconds DefaultRetryInterval{5000};

    explicit ReceiverConnection(TCustomComPort& port,
                                std::chrono::milliseconds retryInterval = DefaultRetryInterval);
    ReceiverConnection(const ReceiverConnection&) = delete;
    ReceiverConnection& operator=(const ReceiverConnection&) = delete;
    ~ReceiverConnection();

    // The user's Start. A port that cannot be opened raises as its Open does, and reception stays
    // closed: a wrong setting is for the user to mend, not for the retries.
    void Start();
    // The user's Stop: the port closes and the retries end.
    void Stop();

    ConnectionState State() const { return state_; }
    bool Started() const { return state_ != ConnectionState::Closed; }
    // One line for the status area about the last loss and what became of it; empty until the
    // receiver is first lost.
    const std::string& StatusText() const { return statusText_; }
    std::chrono::milliseconds RetryInterval() const { return retryInterval_; }
    void SetRetryInterval(std::chrono::milliseconds interval) { retryInterval_ = interval; }

    // Each change of state, after StatusText has been brought up to date.
    StateEvent OnStateChange;
    // The loss and the return of the receiver, once each, for a log: the failed tries between
    // them only change StatusText.
    std::function<void(const std::string& line)> OnLogLine;

private:
    void SetState(ConnectionState state);
    void OpenPort();
    void Lost();
    void Retry();
    void Receiving();
    // Runs `step` on the owner's thread once the current delivery has returned.
    void Later(void (ReceiverConnection::*step)());
    std::string PortName() const;

    TCustomComPort& port_;
    std::chrono::milliseconds retryInterval_;
    std::unique_ptr<QTimer> retryTimer_;
    TComLink link_;
    ConnectionState state_ = ConnectionState::Closed;
    std::string statusText_;
    // When the receiver was lost; empty while it answers.
    std::string lostAt_;
    // Set by the first delivery after each open, so that only one report of either is posted.
    std::atomic<bool> lossReported_{false};
    std::atomic<bool> dataReported_{false};
    // Counts the opens and the stops, so that a late report of an earlier opening is known.
    std::atomic<unsigned> opening_{0};
};
