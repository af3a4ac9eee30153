#include "ApplicationExceptions.h"

#include "MainThreadCalls.h"

#include <cstdio>
#include <exception>
#include <mutex>

namespace {

struct Handler {
    std::mutex mutex;
    std::function<void(const std::string&)> show;
};

Handler& TheHandler() {
    static Handler handler;
    return handler;
}

void Show(const std::string& message) {
    std::function<void(const std::string&)> show;
    {
        Handler& handler = TheHandler();
        const std::lock_guard lock(handler.mutex);
        show = handler.show;
    }
    if (show) {
        show(message);
    } else {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}

std::string CurrentMessage() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace

void HandleApplicationException() {
    std::string message = CurrentMessage();
    if (MainThreadCalls::IsMainThread()) {
        Show(message);
    } else {
        MainThreadCalls::Instance().Post([message] { Show(message); });
    }
}

void SetApplicationExceptionHandler(std::function<void(const std::string& message)> handler) {
    Handler& instance = TheHandler();
    const std::lock_guard lock(instance.mutex);
    instance.show = std::move(handler);
}
