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
// A receiver that has not answered since the start is "not answering yet" rather than lost.
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
    // The program's own start from the stored settings, with nobody to answer a message: a
    // receiver that is not there yet (an adapter not plugged in, a gpsd still starting) is
    // waited for and tried again as a lost one is. A port without a name, or with one that can
    // never work (a malformed address), raises as at Start.
    void StartUnattended();
    // The user's Stop: the port closes and the retries end.
    void Stop();

    ConnectionState State() const { return state_; }
    bool Started() const { return state_ != ConnectionState::Closed; }
    // One line for the status area about the last loss and what became of it; empty until the
    // receiver is first lost.
    const std::string& StatusText() const { return statusText_; }
    std::chrono::milliseconds RetryInterval() const { return retryInterval_; }
    void SetRetryInterval(std::chrono::milliseconds interval) { retryInterval_ = interval; }
    // How often a loss that keeps repeating in the same words is logged as a count.
    void SetRepeatLogInterval(std::chrono::milliseconds interval) { repeatLogInterval_ = interval; }

    static constexpr std::chrono::milliseconds DefaultRepeatLogInterval{10 * 60 * 1000};

    // Each change of state, after StatusText has been brought up to date.
    StateEvent OnStateChange;
    // The loss and the return of the receiver, once each, for a log: the failed tries between
    // them only change StatusText, and a loss that repeats in the same words is counted.
    std::function<void(const std::string& line)> OnLogLine;
    // A source that can never be reached as it is named (a host name that does not exist) ends
    // reception, as a Start that raises does; this tells the user why, when they started it.
    std::function<void(const std::string& message)> OnRefused;

private:
    void SetState(ConnectionState state);
    void Begin(bool byUser);
    void OpenPort();
    void Lost();
    // The receiver is away (lost, or not there yet): `text` is told, the next try waits.
    void Away(const std::string& text);
    // Ends reception over a failure that no retry mends.
    void Refused(const std::string& reason);
    void Log(const std::string& line);
    // Logs a loss for `reason`, or counts it when the last logged loss had the same.
    void LogLoss(const std::string& reason);
    // Logs how often the last logged loss came again since it or the last count, if at all.
    void LogRepeats();
    // The beginning of the status text about the receiver being away.
    std::string AwayText() const;
    void Retry();
    void Receiving();
    // Runs `step` on the owner's thread once the current delivery has returned.
    void Later(void (ReceiverConnection::*step)());
    std::string PortName() const;

    TCustomComPort& port_;
    std::chrono::milliseconds retryInterval_;
    std::chrono::milliseconds repeatLogInterval_ = DefaultRepeatLogInterval;
    std::unique_ptr<QTimer> retryTimer_;
    TComLink link_;
    ConnectionState state_ = ConnectionState::Closed;
    std::string statusText_;
    // When the receiver was lost; empty while it answers.
    std::string lostAt_;
    // Whether the user started reception, and whether the receiver has answered since.
    bool startedByUser_ = false;
    bool answered_ = false;
    // The last loss logged, how often it has come again since, from when that count runs, and
    // whether the loss now under way was logged (so that its end is).
    std::string loggedLoss_;
    unsigned repeats_ = 0;
    std::chrono::steady_clock::time_point repeatsSince_;
    bool lossLogged_ = false;
    // Set by the first delivery after each open, so that only one report of either is posted.
    std::atomic<bool> lossReported_{false};
    std::atomic<bool> dataReported_{false};
    // Counts the opens and the stops, so that a late report of an earlier opening is known.
    std::atomic<unsigned> opening_{0};
};
