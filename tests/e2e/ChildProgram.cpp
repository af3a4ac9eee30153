#include "ChildProgram.h"

#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

ChildProgram::ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment)
    : ChildProgram(program, arguments, ChildProgramOptions{environment, false, {}, false}) {}

ChildProgram::ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildProgramOptions& options) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argumentTexts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environmentTexts;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (options.environment.count(text.substr(0, text.find('='))) == 0) {
            environmentTexts.push_back(text);
        }
    }
    for (const auto& [name, value] : options.environment) {
        environmentTexts.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& text : environmentTexts) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    rlimit fileSizeLimit{};
    ::getrlimit(RLIMIT_FSIZE, &fileSizeLimit);
    if (options.fileSizeLimit) {
        fileSizeLimit.rlim_cur = *options.fileSizeLimit;
    }
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);

    // Between fork and exec only system calls: the test process has threads.
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipe[1], STDOUT_FILENO);
        if (options.readErrors) {
            ::dup2(pipe[1], STDERR_FILENO);
        }
        // An ignored SIGXFSZ would pass through exec: the program has to ignore it itself.
        ::sigaction(SIGXFSZ, &defaultAction, nullptr);
        if (::setrlimit(RLIMIT_FSIZE, &fileSizeLimit) != 0) {
            ::_exit(126);
        }
        if (options.unprivileged && !DropPrivileges()) {
            ::_exit(126);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    const int error = errno;
    ::close(pipe[1]);
    output_ = pipe[0];
    if (pid_ < 0) {
        ::close(output_);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
    }
}

ChildProgram::~ChildProgram() {
    if (!ended_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ::close(output_);
}

std::optional<std::string> ChildProgram::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd readable{output_, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = ::read(output_, buffer, sizeof buffer);
        if (got <= 0) {
            return std::nullopt;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> ChildProgram::WaitForLine(const std::string& text,
                                                     std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        std::optional<std::string> line = ReadLine(left);
        if (!line || line->find(text) != std::string::npos) {
            return line;
        }
    }
}

bool ChildProgram::HasOpen(const std::string& path) const {
    std::error_code error;
    const std::string folder = "/proc/" + std::to_string(pid_) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == path) {
            return true;
        }
    }
    return false;
}

void ChildProgram::Signal(int signal) const {
    ::kill(pid_, signal);
}

void ChildProgram::SetFileSizeLimit(rlim_t limit) const {
    rlimit value{};
    ::prlimit(pid_, RLIMIT_FSIZE, nullptr, &value);
    value.rlim_cur = limit;
    if (::prlimit(pid_, RLIMIT_FSIZE, &value, nullptr) != 0) {
        throw std::runtime_error(std::string("cannot change the file size limit: ") +
                                 std::strerror(errno));
    }
}

std::optional<int> ChildProgram::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            return status;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
