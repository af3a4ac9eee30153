#include "ReceiverConnection.h"

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

std::string Seconds(std::chrono::milliseconds interval) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(interval).count();
    return seconds >= 1 ? std::to_string(seconds) + " s" : std::to_string(interval.count()) + " ms";
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
    lostAt_.clear();
    statusText_.clear();
    OpenPort();
    SetState(ConnectionState::Opening);
}

void ReceiverConnection::Stop() {
    retryTimer_->stop();
    ++opening_;
    if (!Started()) {
        port_.Close();
        return;
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
    port_.Close();
    const bool first = lostAt_.empty();
    if (first) {
        lostAt_ = Now();
    }
    statusText_ = "The receiver on " + PortName() + " was lost at " + lostAt_ + " (" + reason +
                  "); trying again every " + Seconds(retryInterval_) + ".";
    retryTimer_->start(retryInterval_);
    if (first && OnLogLine) {
        OnLogLine(statusText_);
    }
    SetState(ConnectionState::Lost);
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
        statusText_ = "The receiver on " + PortName() + " was lost at " + lostAt_ + "; at " +
                      Now() + " it still could not be opened (" + failure.what() +
                      "); trying again every " + Seconds(retryInterval_) + ".";
        retryTimer_->start(retryInterval_);
        SetState(ConnectionState::Lost);
        return;
    }
    SetState(ConnectionState::Retrying);
}

void ReceiverConnection::Receiving() {
    if (state_ != ConnectionState::Opening && state_ != ConnectionState::Retrying) {
        return;
    }
    if (!lostAt_.empty()) {
        statusText_ = "The receiver on " + PortName() + " answers again since " + Now() +
                      " (lost at " + lostAt_ + ").";
        lostAt_.clear();
        if (OnLogLine) {
            OnLogLine(statusText_);
        }
    }
    SetState(ConnectionState::Open);
}
