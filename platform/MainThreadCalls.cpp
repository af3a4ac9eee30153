#include "MainThreadCalls.h"

namespace {

// Static initialisation runs on the main thread, before main.
const std::thread::id MainThreadId = std::this_thread::get_id();

} // namespace

MainThreadCalls& MainThreadCalls::Instance() {
    static MainThreadCalls instance;
    return instance;
}

bool MainThreadCalls::IsMainThread() {
    return std::this_thread::get_id() == MainThreadId;
}

void MainThreadCalls::SetWakeUp(std::function<void()> wakeUp) {
    const std::lock_guard lock(mutex_);
    wakeUp_ = std::move(wakeUp);
}

void MainThreadCalls::Enqueue(const std::shared_ptr<Call>& call) {
    std::function<void()> wakeUp;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(call);
        wakeUp = wakeUp_;
    }
    changed_.notify_all();
    if (wakeUp) {
        wakeUp();
    }
}

void MainThreadCalls::Synchronize(const std::function<void()>& function) {
    if (IsMainThread()) {
        function();
        return;
    }
    auto call = std::make_shared<Call>();
    call->function = function;
    Enqueue(call);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return call->done; });
    if (call->error) {
        std::rethrow_exception(call->error);
    }
}

void MainThreadCalls::Send(std::function<void()> function) {
    if (IsMainThread()) {
        function();
        return;
    }
    auto call = std::make_shared<Call>();
    call->function = std::move(function);
    Enqueue(call);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return call->taken; });
}

void MainThreadCalls::Post(std::function<void()> function) {
    auto call = std::make_shared<Call>();
    call->function = std::move(function);
    Enqueue(call);
}

bool MainThreadCalls::RunPending() {
    bool ran = false;
    for (;;) {
        std::shared_ptr<Call> call;
        {
            const std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return ran;
            }
            call = queue_.front();
            queue_.pop_front();
            call->taken = true;
        }
        changed_.notify_all();
        std::exception_ptr error;
        try {
            call->function();
        } catch (...) {
            error = std::current_exception();
        }
        {
            // Everything this thread holds of the call is let go before the caller wakes, so the
            // caller alone touches the error from here on.
            const std::lock_guard lock(mutex_);
            call->error = std::move(error);
            call->done = true;
            call.reset();
        }
        changed_.notify_all();
        ran = true;
    }
}

bool MainThreadCalls::WaitAndRun(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return !queue_.empty() || notified_; });
        notified_ = false;
    }
    return RunPending();
}

void MainThreadCalls::Notify() {
    {
        const std::lock_guard lock(mutex_);
        notified_ = true;
    }
    changed_.notify_all();
}
