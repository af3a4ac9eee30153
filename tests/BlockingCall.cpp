#include "BlockingCall.h"

#include "ThreadSleepsInPoll.h"

#include <chrono>
#include <unistd.h>

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 60000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

BlockingCall::BlockingCall(std::function<void()> call)
    : thread_([this, call = std::move(call)] {
          threadId_ = ::gettid();
          call();
          returned_ = true;
      }) {}

bool BlockingCall::SleepsInPoll() const {
    const bool seen = Eventually(
        [this] { return returned_ || (threadId_ != 0 && ThreadSleepsInPoll(threadId_)); });
    return seen && !returned_;
}

void BlockingCall::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}
