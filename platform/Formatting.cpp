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

void AppendInteger(std::string& text, long long value, int minDigits) {
    std::array<char, 24> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)error; // 24 characters hold every long long
    const char* first = digits.data();
    if (*first == '-') {
        text += '-';
        ++first;
    }
    const auto count = static_cast<int>(end - first);
    if (count < minDigits) {
        text.append(static_cast<std::size_t>(minDigits - count), '0');
    }
    text.append(first, static_cast<std::size_t>(end - first));
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

std::string DurationText(std::chrono::milliseconds duration) {
    if (duration.count() % 1000 == 0) {
        return std::to_string(duration.count() / 1000) + " s";
    }
    return std::to_string(duration.count()) + " ms";
}
