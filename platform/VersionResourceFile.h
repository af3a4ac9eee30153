#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The name of the ELF section our executables carry their version block in.
inline constexpr const char* VersionSectionName = ".skyfence_version";

// The version block a file carries: from that ELF section, or from the RT_VERSION resource of a
// Windows PE file. Empty when there is none or the file is damaged: nothing in it is trusted.
std::vector<std::uint8_t> ReadVersionBlockOfFile(const std::string& path);
