#include "VersionDescription.h"

#include "platform/Exception.h"
#include "platform/FileContent.h"

#include <charconv>
#include <sstream>
#include <tuple>

namespace {

std::uint32_t Number(std::string_view text, int base, std::uint32_t limit) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > limit) {
        throw Exception("not a number: \"" + std::string(text) + "\"");
    }
    return value;
}

// "1.0.0.5" into its two 32-bit halves.
std::pair<std::uint32_t, std::uint32_t> FourPartVersion(std::string_view text) {
    std::uint32_t parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) {
            throw Exception("a version has four parts: \"" + std::string(text) + "\"");
        }
        parts[i] = Number(text.substr(0, dot), 10, 0xFFFF);
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    return {(parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]};
}

void Apply(VersionDescription& description, std::string_view key, std::string_view value) {
    if (key == "@FileVersion") {
        std::tie(description.fileVersionMS, description.fileVersionLS) = FourPartVersion(value);
    } else if (key == "@ProductVersion") {
        std::tie(description.productVersionMS, description.productVersionLS) =
            FourPartVersion(value);
    } else if (key == "@FileFlags") {
        description.fileFlags = Number(value, 16, 0xFFFFFFFF);
    } else if (key == "@Translation") {
        const std::size_t blank = value.find(' ');
        if (blank == std::string_view::npos) {
            throw Exception("a translation is a language and a code page");
        }
        description.language =
            static_cast<std::uint16_t>(Number(value.substr(0, blank), 16, 0xFFFF));
        description.codePage =
            static_cast<std::uint16_t>(Number(TrimBlanks(value.substr(blank + 1)), 16, 0xFFFF));
    } else if (key.starts_with('@')) {
        throw Exception("unknown setting " + std::string(key));
    } else {
        description.strings.emplace_back(key, value);
    }
}

} // namespace

VersionDescription ParseVersionDescription(const std::string& text) {
    VersionDescription description;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed.starts_with('#')) {
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        try {
            if (equals == std::string_view::npos || TrimBlanks(trimmed.substr(0, equals)).empty()) {
                throw Exception("expected Key = Value");
            }
            Apply(description, TrimBlanks(trimmed.substr(0, equals)),
                  TrimBlanks(trimmed.substr(equals + 1)));
        } catch (const Exception& error) {
            throw Exception("line " + std::to_string(number) + ": " + error.Message());
        }
    }
    return description;
}
