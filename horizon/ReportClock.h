#pragma once

#include <chrono>
#include <functional>

// The time of each report for the observations: the UTC of the receiver's last position
// sentence while it is fresh, so that a replayed log and a computer with a wrong clock still
// give the receiver's times, else the computer's clock.
class ReportClock {
public:
    using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;
    using SystemClock = std::function<std::chrono::system_clock::time_point()>;

    // A receiver sends its position every second or so; a time older than this is not trusted
    // to stand for the reports after it.
    static constexpr std::chrono::seconds Freshness{3};

    // `steady` measures how old the receiver's time is; `system` is the computer's clock.
    ReportClock(SteadyClock steady, SystemClock system);

    // The UTC of a position sentence received now.
    void TakeReceiverTime(std::chrono::sys_seconds utc);

    // The time of a report received now: the receiver's time, advanced by what has passed since
    // it came, while it is fresh; the computer's clock otherwise.
    std::chrono::sys_seconds Now() const;

private:
    SteadyClock steady_;
    SystemClock system_;
    std::chrono::sys_seconds receiverTime_{};
    std::chrono::steady_clock::time_point receivedAt_{};
    bool haveReceiverTime_ = false;
};
