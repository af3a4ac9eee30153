#include "TThread.h"

#include "MainThreadCalls.h"

#include <chrono>

TThread::~TThread() {
    WaitFor();
}

void TThread::Start() {
    thread_ = std::thread([this] {
        Execute();
        finished_.store(true);
        MainThreadCalls::Instance().Notify();
    });
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
