#include "ChildProgram.h"

#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sstream>
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

namespace {

// A field of /proc/PID/io ("rchar") or /proc/PID/status ("SigCgt"); empty when it is missing.
std::string ProcField(pid_t pid, const char* file, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(field + ":")) {
            const std::size_t value = line.find_first_not_of(" \t", field.size() + 1);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    }
    return {};
}

// The state letter and the processor time used so far, from /proc/PID/stat.
std::pair<char, std::uint64_t> StateAndTime(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    // The command name may hold blanks and brackets: the fields that follow come after the last.
    std::istringstream fields(text.substr(text.rfind(')') + 1));
    char state = '?';
    fields >> state;
    std::string skipped;
    for (int field = 4; field <= 13; ++field) {
        fields >> skipped;
    }
    std::uint64_t user = 0;
    std::uint64_t system = 0;
    fields >> user >> system;
    return {state, user + system};
}

bool Poll(const std::function<bool()>& done, std::chrono::milliseconds timeout,
          std::chrono::milliseconds every) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(every);
    }
    return true;
}

} // namespace

bool ChildProgram::WaitUntilReading(const std::string& path, std::uint64_t bytes,
                                    std::chrono::milliseconds timeout) const {
    const auto start = std::chrono::steady_clock::now();
    if (!Poll([&] { return HasOpen(path); }, timeout, std::chrono::milliseconds(20))) {
        return false;
    }
    const auto read = [&] {
        const std::string value = ProcField(pid_, "io", "rchar");
        return value.empty() ? 0 : std::stoull(value);
    };
    const std::uint64_t opened = read();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        timeout - (std::chrono::steady_clock::now() - start));
    return Poll([&] { return read() >= opened + bytes; }, left, std::chrono::milliseconds(20));
}

bool ChildProgram::WaitUntilIdle(int signal, std::chrono::milliseconds timeout) const {
    const auto caught = [&] {
        const std::string mask = ProcField(pid_, "status", "SigCgt");
        return !mask.empty() && ((std::stoull(mask, nullptr, 16) >> (signal - 1)) & 1U) != 0;
    };
    std::pair<char, std::uint64_t> last{'?', 0};
    int quiet = 0;
    // Ten looks 30 ms apart without a tick of processor time, asleep at each.
    return Poll(
        [&] {
            const auto now = StateAndTime(pid_);
            quiet = caught() && now.first == 'S' && now == last ? quiet + 1 : 0;
            last = now;
            return quiet >= 10;
        },
        timeout, std::chrono::milliseconds(30));
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
