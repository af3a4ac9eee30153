#include "ReceiverConnection.h"

#include "platform/Formatting.h"
#include "serial/EComPort.h"
#include "serial/TCustomComPort.h"

#include <QTimer>

#include <array>
#include <ctime>
#include <exception>

namespace {

// The local time of day, as a user reading the status area an hour later wants it.
std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::array<char, 16> text{};
    std::strftime(text.data(), text.size(), "%H:%M:%S", &local);
    return text.data();
}

} // namespace

ReceiverConnection::ReceiverConnection(TCustomComPort& port,
                                       std::chrono::milliseconds retryInterval)
    : port_(port), retryInterval_(retryInterval), retryTimer_(std::make_unique<QTimer>()) {
    retryTimer_->setSingleShot(true);
    QObject::connect(retryTimer_.get(), &QTimer::timeout, [this] { Retry(); });
    port_.OnError = [this](TCustomComPort&, TComErrors errors) {
        if (errors.Contains(TComError::errIO) && !lossReported_.exchange(true)) {
            Later(&ReceiverConnection::Lost);
        }
    };
    link_.OnRxActivity = [this](TCustomComPort&, bool active) {
        if (active && !dataReported_.exchange(true)) {
            Later(&ReceiverConnection::Receiving);
        }
    };
    port_.AttachLink(link_);
}

ReceiverConnection::~ReceiverConnection() {
    port_.DetachLink(link_);
    port_.OnError = nullptr;
}

void ReceiverConnection::Start() {
    if (Started()) {
        return;
    }
    Begin(true);
    OpenPort();
    SetState(ConnectionState::Opening);
}

void ReceiverConnection::StartUnattended() {
    if (Started()) {
        return;
    }
    Begin(false);
    try {
        OpenPort();
    } catch (const std::exception& failure) {
        // No name, or one that cannot work, is the user's to mend, as at their own Start.
        if (port_.Port().empty() || port_.Device().FailureLasts()) {
            throw;
        }
        LogLoss(failure.what());
        Away(AwayText() + " (" + failure.what() + ")");
        return;
    }
    SetState(ConnectionState::Opening);
}

void ReceiverConnection::Begin(bool byUser) {
    startedByUser_ = byUser;
    answered_ = false;
    lostAt_.clear();
    statusText_.clear();
    lossLogged_ = false;
    loggedLoss_.clear();
    repeats_ = 0;
}

void ReceiverConnection::Stop() {
    retryTimer_->stop();
    ++opening_;
    if (!Started()) {
        port_.Close();
        return;
    }
    LogRepeats();
    // Whatever the status area said about tries is over.
    if (!statusText_.empty()) {
        statusText_ = "Reception from " + PortName() + " stopped at " + Now() + ".";
    }
    // Closed even when the port fails to close, so that the button never offers Stop for a
    // reception that has ended.
    try {
        port_.Close();
    } catch (...) {
        SetState(ConnectionState::Closed);
        throw;
    }
    SetState(ConnectionState::Closed);
}

void ReceiverConnection::SetState(ConnectionState state) {
    state_ = state;
    if (OnStateChange) {
        OnStateChange(state);
    }
}

void ReceiverConnection::OpenPort() {
    ++opening_;
    lossReported_ = false;
    dataReported_ = false;
    port_.Open();
}

// A report that was on its way while the port was closed and opened again belongs to the old
// opening and is dropped.
void ReceiverConnection::Later(void (ReceiverConnection::*step)()) {
    QMetaObject::invokeMethod(
        retryTimer_.get(),
        [this, step, opening = opening_.load()] {
            if (opening == opening_.load()) {
                (this->*step)();
            }
        },
        Qt::QueuedConnection);
}

std::string ReceiverConnection::PortName() const {
    return port_.Port().empty() ? "the port" : port_.Port();
}

// A closed port is no longer this loss's concern: the user stopped, or a later open is on its way.
void ReceiverConnection::Lost() {
    if (state_ == ConnectionState::Closed || state_ == ConnectionState::Lost) {
        return;
    }
    std::string reason = port_.Device().FailureText();
    if (reason.empty()) {
        reason = "it stopped answering";
    }
    const bool lasting = port_.Device().FailureLasts();
    port_.Close();
    if (lasting) {
        Refused(reason);
        return;
    }
    // A try that connected and then failed before the receiver answered is one more failed try.
    if (state_ == ConnectionState::Retrying) {
        Away(AwayText() + "; at " + Now() + " it still could not be reached (" + reason + ")");
        return;
    }
    if (answered_) {
        lostAt_ = Now();
    }
    LogLoss(reason);
    Away(AwayText() + " (" + reason + ")");
}

// The same loss again and again (a peer that sends a little and closes) is counted, not logged
// each time.
void ReceiverConnection::LogLoss(const std::string& reason) {
    const auto now = std::chrono::steady_clock::now();
    lossLogged_ = reason != loggedLoss_;
    if (lossLogged_) {
        LogRepeats();
        loggedLoss_ = reason;
        repeatsSince_ = now;
        Log(AwayText() + " (" + reason + "); trying again every " + DurationText(retryInterval_) +
            ".");
    } else if (++repeats_; now - repeatsSince_ >= repeatLogInterval_) {
        LogRepeats();
        repeatsSince_ = now;
    }
}

void ReceiverConnection::LogRepeats() {
    if (repeats_ > 0) {
        Log("The receiver on " + PortName() + " was lost " + std::to_string(repeats_) +
            " more times in the same way (" + loggedLoss_ + ").");
        repeats_ = 0;
    }
}

std::string ReceiverConnection::AwayText() const {
    if (lostAt_.empty()) {
        return "The receiver on " + PortName() + " is not answering yet";
    }
    return "The receiver on " + PortName() + " was lost at " + lostAt_;
}

void ReceiverConnection::Away(const std::string& text) {
    statusText_ = text + "; trying again every " + DurationText(retryInterval_) + ".";
    retryTimer_->start(retryInterval_);
    SetState(ConnectionState::Lost);
}

void ReceiverConnection::Refused(const std::string& reason) {
    const std::string message = EComPort(ComError::OpenPort, 0, reason).what();
    statusText_ = message;
    Log(message);
    const bool tell = startedByUser_ && !answered_;
    SetState(ConnectionState::Closed);
    if (tell && OnRefused) {
        OnRefused(message);
    }
}

void ReceiverConnection::Log(const std::string& line) {
    if (OnLogLine) {
        OnLogLine(line);
    }
}

// A failed try is the expected outcome while the receiver is away: it becomes the status text and
// the next try, never a message box over an unattended window.
void ReceiverConnection::Retry() {
    if (state_ != ConnectionState::Lost) {
        return;
    }
    try {
        OpenPort();
    } catch (const std::exception& failure) {
        Away(AwayText() + "; at " + Now() + " it still could not be opened (" + failure.what() +
             ")");
        return;
    }
    SetState(ConnectionState::Retrying);
}

void ReceiverConnection::Receiving() {
    if (state_ != ConnectionState::Opening && state_ != ConnectionState::Retrying) {
        return;
    }
    if (!statusText_.empty()) {
        statusText_ = "The receiver on " + PortName() +
                      (answered_ ? " answers again" : " answers") + " since " + Now() +
                      (lostAt_.empty() ? "" : " (lost at " + lostAt_ + ")") + ".";
        if (lossLogged_) {
            Log(statusText_);
        }
    }
    lostAt_.clear();
    lossLogged_ = false;
    answered_ = true;
    SetState(ConnectionState::Open);
}
