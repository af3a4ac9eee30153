#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where a 64-bit ELF file puts a section, read from its section table as any tool reads it.
struct ElfSectionHeader {
    std::uint64_t offset = 0;    // sh_offset
    std::uint64_t size = 0;      // sh_size
    std::uint64_t alignment = 0; // sh_addralign
};

std::optional<ElfSectionHeader> FindElfSection(const std::string& fileContent,
                                               std::string_view name);
