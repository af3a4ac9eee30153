#include "Formatting.h"

#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Format(const char* pattern, ...) {
    std::array<char, 256> small{};
    va_list args;
    va_start(args, pattern);
    va_list retry;
    va_copy(retry, args);
    const int length = std::vsnprintf(small.data(), small.size(), pattern, args);
    va_end(args);
    std::string result;
    if (length < 0) {
        va_end(retry);
        return result;
    }
    if (static_cast<std::size_t>(length) < small.size()) {
        result.assign(small.data(), static_cast<std::size_t>(length));
    } else {
        std::vector<char> large(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), pattern, retry);
        result.assign(large.data(), static_cast<std::size_t>(length));
    }
    va_end(retry);
    return result;
}

std::string FormatFixed(double value, int decimals) {
    // Large enough for the longest double in fixed notation (309 digits) and the decimals.
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        return {};
    }
    return std::string(buffer.data(), end);
}
