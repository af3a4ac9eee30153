#include "ReportClock.h"

#include <utility>

ReportClock::ReportClock(SteadyClock steady, SystemClock system)
    : steady_(std::move(steady)), system_(std::move(system)) {}

void ReportClock::TakeReceiverTime(std::chrono::sys_seconds utc) {
    receiverTime_ = utc;
    receivedAt_ = steady_();
    haveReceiverTime_ = true;
}

std::chrono::sys_seconds ReportClock::Now() const {
    if (haveReceiverTime_) {
        const auto age = steady_() - receivedAt_;
        if (age >= std::chrono::steady_clock::duration::zero() && age <= Freshness) {
            return receiverTime_ + std::chrono::duration_cast<std::chrono::seconds>(age);
        }
    }
    return std::chrono::floor<std::chrono::seconds>(system_());
}
