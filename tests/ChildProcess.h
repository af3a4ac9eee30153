#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

// Runs `work` in a child process and returns what it reported: empty when it returned, the
// message of the exception it raised otherwise. When the tests run as root the child first
// becomes an unprivileged user, so that file permissions apply to it.
std::string RunUnprivileged(const std::function<void()>& work);

// Runs `work` in a child process with the same privileges; the caller waits for it or kills it.
pid_t StartChild(const std::function<void()>& work);

// Waits for the child and returns its exit status as waitpid reports it.
int WaitForChild(pid_t child);

// The user an unprivileged child runs as when the tests run as root.
inline constexpr unsigned UnprivilegedUser = 65534;

// In a child process: when the tests run as root, becomes UnprivilegedUser with no supplementary
// groups, so that file permissions apply. False if that fails. Safe to call between fork and exec.
bool DropPrivileges();
