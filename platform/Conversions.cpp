#include "Conversions.h"

#include "Exception.h"

#include <charconv>
#include <limits>

namespace {

[[noreturn]] void NotAnInteger(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

bool ParseInteger(std::string_view text, std::int32_t& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const bool hex = pos < text.size() && text[pos] == '$';
    if (hex) {
        ++pos;
    }
    const std::string_view digits = text.substr(pos);
    if (digits.empty()) {
        return false;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    if (hex) {
        if (magnitude > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        value = static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
        return true;
    }
    constexpr std::uint64_t maxPositive = std::numeric_limits<std::int32_t>::max();
    if (magnitude > maxPositive + (negative ? 1 : 0)) {
        return false;
    }
    const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
    value = static_cast<std::int32_t>(negative ? -signedMagnitude : signedMagnitude);
    return true;
}

} // namespace

std::int32_t StrToInt(std::string_view text) {
    std::int32_t value = 0;
    if (!ParseInteger(text, value)) {
        NotAnInteger(text);
    }
    return value;
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    return ParseInteger(text, value);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
    std::int32_t value = 0;
    return ParseInteger(text, value) ? value : fallback;
}

double StrToFloat(std::string_view text) {
    std::string_view body = text;
    if (!body.empty() && body.front() == '+') {
        body.remove_prefix(1);
        if (!body.empty() && body.front() == '-') {
            body = {};
        }
    }
    // from_chars also takes "inf", "nan" and hexadecimal forms, which are no decimal numbers.
    const bool decimalOnly =
        !body.empty() && body.find_first_not_of("-0123456789.eE") == std::string_view::npos;
    double value = 0;
    if (decimalOnly) {
        const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value,
                                                  std::chars_format::general);
        if (error == std::errc() && end == body.data() + body.size()) {
            return value;
        }
    }
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string UpperCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}
