#pragma once

#include <string>
#include <string_view>

// The smallest 64-bit little-endian ELF file that holds `content` as its section `name`, as our
// executables hold their version block.
std::string ElfFileWithSection(std::string_view name, std::string_view content);
