#include "ElfSectionHeader.h"

#include <elf.h>

#include <cstring>

namespace {

template <class T>
std::optional<T> ReadAt(const std::string& content, std::uint64_t offset) {
    if (offset > content.size() || content.size() - offset < sizeof(T)) {
        return std::nullopt;
    }
    T value;
    std::memcpy(&value, content.data() + offset, sizeof(T));
    return value;
}

} // namespace

// Our executables are native: 64-bit and little-endian, as the header types of <elf.h> read them.
std::optional<ElfSectionHeader> FindElfSection(const std::string& content, std::string_view name) {
    const auto header = ReadAt<Elf64_Ehdr>(content, 0);
    if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 ||
        header->e_ident[EI_CLASS] != ELFCLASS64 || header->e_shentsize != sizeof(Elf64_Shdr)) {
        return std::nullopt;
    }
    const auto section = [&](std::uint64_t index) {
        return ReadAt<Elf64_Shdr>(content, header->e_shoff + index * sizeof(Elf64_Shdr));
    };
    const auto names = section(header->e_shstrndx);
    if (!names) {
        return std::nullopt;
    }
    for (std::uint64_t i = 0; i < header->e_shnum; ++i) {
        const auto candidate = section(i);
        if (!candidate || candidate->sh_name >= names->sh_size) {
            continue;
        }
        const std::uint64_t at = names->sh_offset + candidate->sh_name;
        if (at >= content.size()) {
            continue;
        }
        if (std::string_view(content.c_str() + at) == name) {
            return ElfSectionHeader{candidate->sh_offset, candidate->sh_size,
                                    candidate->sh_addralign};
        }
    }
    return std::nullopt;
}
