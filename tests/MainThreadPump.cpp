#include "MainThreadPump.h"

#include "platform/MainThreadCalls.h"

#include <chrono>

bool PumpUntil(const std::function<bool()>& done) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MainThreadCalls::Instance().WaitAndRun(5ms);
    }
    return true;
}
