#pragma once

#include "ThreadPriority.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <thread>

// A thread whose body is Execute. It starts when Start is called. WaitFor, called on the main
// thread, keeps running the calls other threads synchronise onto it until the thread has ended.
// A derived class must have its thread ended (WaitFor) before its own members go away.
class TThread {
public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Takes effect at Start: the body runs with it from its first step.
    void SetPriority(TThreadPriority priority) { priority_ = priority; }
    // Returns once the thread has its priority (a priority the system refuses is skipped).
    void Start();
    void WaitFor();
    bool Finished() const { return finished_.load(); }
    // The kernel's id of the running thread (0 before Start), for the system's tools.
    pid_t SystemId() const;

protected:
    virtual void Execute() = 0;
    // Runs the call on the main thread and waits until it is done.
    static void Synchronize(const std::function<void()>& call);

private:
    std::thread thread_;
    std::atomic<bool> finished_{false};
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    mutable std::mutex startMutex_;
    std::condition_variable started_;
    pid_t systemId_ = 0;
};
