#pragma once

#include <optional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// Starts `program` with `arguments` (its own name not among them) and the file actions given,
// with SIGXFSZ at its default action, as a program finds it that must ignore it itself, and, when
// a limit is given, allowed to write files of at most `fileSizeLimit` bytes. The child's process
// id, or -1 when it cannot be started.
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const posix_spawn_file_actions_t& actions,
                   std::optional<rlim_t> fileSizeLimit = std::nullopt);
