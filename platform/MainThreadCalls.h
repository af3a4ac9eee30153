#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs calls on the main thread for other threads: the framework's thread synchronisation. The
// main thread runs them when woken (the program wakes it through its event loop; a test calls
// WaitAndRun) and also while it waits for a thread to end, so that a thread blocked in
// Synchronize never deadlocks with a main thread waiting for it.
class MainThreadCalls {
public:
    static MainThreadCalls& Instance();

    // Queues the call and waits until the main thread has run it; an exception it raises is
    // raised again here. Called on the main thread, it runs the call at once.
    void Synchronize(const std::function<void()>& call);
    // Queues the call and waits only until the main thread has taken it up.
    void Send(std::function<void()> call);
    // Queues the call without waiting.
    void Post(std::function<void()> call);

    // On the main thread: runs every call queued so far; tells whether any ran.
    bool RunPending();
    // On the main thread: waits up to `timeout` for a queued call or Notify, then runs what is
    // queued.
    bool WaitAndRun(std::chrono::milliseconds timeout);
    // Wakes WaitAndRun, as a thread does when it ends.
    void Notify();

    // How to make the main thread call RunPending soon; unset, only WaitAndRun picks calls up.
    void SetWakeUp(std::function<void()> wakeUp);

    static bool IsMainThread();

private:
    struct Call {
        std::function<void()> function;
        bool taken = false;
        bool done = false;
        std::exception_ptr error;
    };

    void Enqueue(const std::shared_ptr<Call>& call);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Call>> queue_;
    std::function<void()> wakeUp_;
    bool notified_ = false;
};
