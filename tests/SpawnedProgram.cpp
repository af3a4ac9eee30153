#include "SpawnedProgram.h"

#include <csignal>

extern char** environ;

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const posix_spawn_file_actions_t& actions, std::optional<rlim_t> fileSizeLimit) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // The limit is inherited: this process has it only while the program is started.
    rlimit own{};
    ::getrlimit(RLIMIT_FSIZE, &own);
    if (fileSizeLimit) {
        const rlimit lowered{*fileSizeLimit, own.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    pid_t child = -1;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::setrlimit(RLIMIT_FSIZE, &own);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? child : -1;
}
