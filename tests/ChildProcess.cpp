#include "ChildProcess.h"

#include <exception>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Report(int fd, const std::string& message) {
    const char* data = message.data();
    std::size_t left = message.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written <= 0) {
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

} // namespace

pid_t StartChild(const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        try {
            work();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    return child;
}

int WaitForChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return status;
}

bool DropPrivileges() {
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(UnprivilegedUser) == 0 &&
                                ::setuid(UnprivilegedUser) == 0);
}

std::string RunUnprivileged(const std::function<void()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        ::close(channel[0]);
        if (!DropPrivileges()) {
            Report(channel[1], "cannot drop privileges");
            ::_exit(2);
        }
        try {
            work();
        } catch (const std::exception& error) {
            Report(channel[1], error.what());
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        message.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    const int status = WaitForChild(child);
    if (!WIFEXITED(status)) {
        return "child process died";
    }
    return message;
}
