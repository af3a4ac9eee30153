#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// How a program is started beyond its arguments.
struct ChildProgramOptions {
    // Added to the test's own environment, or replacing a variable of it.
    std::map<std::string, std::string> environment;
    // Runs as an unprivileged user when the tests run as root, so that file permissions apply.
    bool unprivileged = false;
    // The largest file the program may write, in bytes; unlimited when absent.
    std::optional<rlim_t> fileSizeLimit;
    // Its standard error comes through ReadLine too.
    bool readErrors = false;
};

// One of the project's programs run by a test: started with arguments and extra environment,
// its standard output readable line by line, stopped by a signal. Killed if the test forgets.
class ChildProgram {
public:
    ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {});
    ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildProgramOptions& options);
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram();

    // The next line the program prints, waiting up to `timeout`.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Reads lines until one holds `text` and returns it; nothing when none does within `timeout`.
    std::optional<std::string> WaitForLine(const std::string& text,
                                           std::chrono::milliseconds timeout);
    // Whether the program holds `path` open (a device, a file), as the system lists its files.
    bool HasOpen(const std::string& path) const;
    // Waits until the program holds `path` open and has then read at least `bytes` more, which
    // from a receiver means whole sentences have arrived. False when not within `timeout`.
    bool WaitUntilReading(const std::string& path, std::uint64_t bytes,
                          std::chrono::milliseconds timeout) const;
    // Waits until the program has caught `signal` and sits idle, waiting for the user (a dialog
    // at first start) or for input, using no processor time for a while. False when it does not
    // within `timeout`.
    bool WaitUntilIdle(int signal, std::chrono::milliseconds timeout) const;
    void Signal(int signal) const;
    pid_t Pid() const { return pid_; }
    // Changes the largest file the running program may write.
    void SetFileSizeLimit(rlim_t limit) const;
    // The exit status as waitpid gives it, or nothing when it has not ended within `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
    bool ended_ = false;
};
