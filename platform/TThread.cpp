#include "TThread.h"

#include "MainThreadCalls.h"

#include <chrono>
#include <unistd.h>

TThread::~TThread() {
    WaitFor();
}

void TThread::Start() {
    thread_ = std::thread([this] {
        const pid_t self = ::gettid();
        ApplyThreadPriority(self, priority_);
        {
            const std::lock_guard lock(startMutex_);
            systemId_ = self;
        }
        started_.notify_all();
        Execute();
        finished_.store(true);
        MainThreadCalls::Instance().Notify();
    });
    std::unique_lock lock(startMutex_);
    started_.wait(lock, [this] { return systemId_ != 0; });
}

pid_t TThread::SystemId() const {
    const std::lock_guard lock(startMutex_);
    return systemId_;
}

void TThread::WaitFor() {
    if (!thread_.joinable()) {
        return;
    }
    if (MainThreadCalls::IsMainThread()) {
        using namespace std::chrono_literals;
        MainThreadCalls& calls = MainThreadCalls::Instance();
        while (!finished_.load()) {
            calls.WaitAndRun(50ms);
        }
        calls.RunPending();
    }
    thread_.join();
}

void TThread::Synchronize(const std::function<void()>& call) {
    MainThreadCalls::Instance().Synchronize(call);
}
