#include "HomeFolder.h"

#include <array>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

std::optional<std::string> HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && *result->pw_dir != '\0') {
        return result->pw_dir;
    }
    return std::nullopt;
}
