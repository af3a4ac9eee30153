#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// One of the project's programs run by a test: started with arguments and extra environment,
// its standard output readable line by line, stopped by a signal. Killed if the test forgets.
class ChildProgram {
public:
    ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {});
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram();

    // The next line the program prints, waiting up to `timeout`.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void Signal(int signal) const;
    // The exit status as waitpid gives it, or nothing when it has not ended within `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
    bool ended_ = false;
};
