#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What a version block holds, as a description file gives it: lines "Key = Value" for string
// entries, and the fixed numbers and translation under names starting with "@":
//   @FileVersion = 1.0.0.5      @ProductVersion = 1.0.0.5
//   @FileFlags = 0              @Translation = 0809 04E4
// Blank lines and lines starting with "#" are skipped; values are UTF-8.
struct VersionDescription {
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlags = 0;
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 0x04E4;
    bool hasTranslation = true;
    std::vector<std::pair<std::string, std::string>> strings;
};

// Raises Exception naming the line that cannot be read.
VersionDescription ParseVersionDescription(const std::string& text);
