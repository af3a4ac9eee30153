#pragma once

#include <atomic>
#include <functional>
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

    void Start();
    void WaitFor();
    bool Finished() const { return finished_.load(); }

protected:
    virtual void Execute() = 0;
    // Runs the call on the main thread and waits until it is done.
    static void Synchronize(const std::function<void()>& call);

private:
    std::thread thread_;
    std::atomic<bool> finished_{false};
};
