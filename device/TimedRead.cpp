#include "TimedRead.h"

#include <sys/eventfd.h>

TimedRead::TimedRead(const CommTimeouts& timeouts, void* buffer, std::uint32_t count,
                     std::uint32_t& transferred)
    : limits_(ReadLimits::For(timeouts, count)), buffer_(static_cast<char*>(buffer)), count_(count),
      transferred_(transferred), start_(std::chrono::steady_clock::now()), lastByte_(start_) {}

bool TimedRead::Take(const std::function<std::uint32_t(char*, std::uint32_t)>& take) {
    if (const std::uint32_t taken = take(buffer_ + transferred_, count_ - transferred_)) {
        transferred_ += taken;
        lastByte_ = std::chrono::steady_clock::now();
    }
    return limits_.Satisfied(transferred_, count_);
}

bool TimedRead::TimeIsUp() const {
    const auto deadline = Deadline();
    return deadline && std::chrono::steady_clock::now() >= *deadline;
}

std::optional<std::chrono::steady_clock::time_point> TimedRead::Deadline() const {
    return limits_.Deadline(start_, lastByte_, transferred_ > 0);
}

int TimedRead::Wake() {
    if (!wake_.IsOpen()) {
        wake_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    }
    return wake_.Get();
}
