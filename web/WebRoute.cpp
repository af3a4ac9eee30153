#include "WebRoute.h"

namespace {

// Longer than any route; a longer name is not looked at.
constexpr std::size_t LongestRoute = 64;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

} // namespace

bool IsWebRoute(std::string_view path) {
    if (path.empty() || path.front() != '/' || path.size() > LongestRoute) {
        return false;
    }
    const std::string_view name = path.substr(1);
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos &&
        (dot == 0 || dot + 1 == name.size() || name.find('.', dot + 1) != std::string_view::npos)) {
        return false;
    }
    for (const char c : name) {
        if (c != '.' && !IsNameCharacter(c)) {
            return false;
        }
    }
    return true;
}
