#include "ProcessStatus.h"

#include <fstream>
#include <stdexcept>
#include <time.h>

long ProcessKilobytes(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    throw std::runtime_error("no " + field + " for process " + std::to_string(pid));
}

std::chrono::nanoseconds ProcessCpuTime(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &used) != 0) {
        throw std::runtime_error("no processor time for process " + std::to_string(pid));
    }
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}
