#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

// A size the system keeps for a running process, in kB ("VmRSS" resident, "VmHWM" its peak).
// Raises std::runtime_error when the process or the field is not there.
long ProcessKilobytes(pid_t pid, const std::string& field);

// The processor time a running process has used so far, all its threads together. Raises
// std::runtime_error when the process is not there.
std::chrono::nanoseconds ProcessCpuTime(pid_t pid);
