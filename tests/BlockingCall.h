#pragma once

#include <atomic>
#include <functional>
#include <sys/types.h>
#include <thread>

// Polls a condition that no event announces, for a generous while; true once it holds.
bool Eventually(const std::function<bool()>& condition);

// Runs a call on a thread of its own, so that the test can see it block and then end.
class BlockingCall {
public:
    explicit BlockingCall(std::function<void()> call);
    BlockingCall(const BlockingCall&) = delete;
    BlockingCall& operator=(const BlockingCall&) = delete;
    ~BlockingCall() { Join(); }

    // True once the call is seen asleep in poll; false if it returns instead.
    bool SleepsInPoll() const;
    bool Returned() const { return returned_; }
    void Join();

private:
    std::atomic<pid_t> threadId_ = 0;
    std::atomic<bool> returned_ = false;
    std::thread thread_;
};
