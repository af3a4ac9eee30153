#include "ElfFile.h"

#include <cstdint>

namespace {

constexpr std::size_t HeaderSize = 64;
constexpr std::size_t SectionHeaderSize = 64;
constexpr std::uint32_t ProgramBits = 1;
constexpr std::uint32_t StringTable = 3;

void Put(std::string& bytes, std::size_t at, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::size_t Align8(std::size_t offset) {
    return (offset + 7) & ~std::size_t{7};
}

void PutSectionHeader(std::string& bytes, std::size_t at, std::uint32_t name, std::uint32_t type,
                      std::size_t offset, std::size_t size) {
    Put(bytes, at, name, 4);
    Put(bytes, at + 4, type, 4);
    Put(bytes, at + 0x18, offset, 8);
    Put(bytes, at + 0x20, size, 8);
    Put(bytes, at + 0x30, 1, 8); // alignment
}

} // namespace

std::string ElfFileWithSection(std::string_view name, std::string_view content) {
    const std::string names = std::string(1, '\0') + ".shstrtab" + '\0' + std::string(name) + '\0';
    constexpr std::uint32_t namesName = 1;
    constexpr std::uint32_t sectionName = 11;
    const std::size_t namesAt = HeaderSize;
    const std::size_t contentAt = Align8(namesAt + names.size());
    const std::size_t tableAt = Align8(contentAt + content.size());

    std::string bytes(tableAt + 3 * SectionHeaderSize, '\0');
    bytes.replace(0, 4,
                  "\x7F"
                  "ELF");
    Put(bytes, 4, 2, 1);    // 64-bit
    Put(bytes, 5, 1, 1);    // little-endian
    Put(bytes, 6, 1, 1);    // version
    Put(bytes, 0x10, 1, 2); // relocatable
    Put(bytes, 0x12, 62, 2);
    Put(bytes, 0x14, 1, 4);
    Put(bytes, 0x28, tableAt, 8);
    Put(bytes, 0x34, HeaderSize, 2);
    Put(bytes, 0x3A, SectionHeaderSize, 2);
    Put(bytes, 0x3C, 3, 2);
    Put(bytes, 0x3E, 1, 2); // the names are section 1
    bytes.replace(namesAt, names.size(), names);
    bytes.replace(contentAt, content.size(), content);
    PutSectionHeader(bytes, tableAt + SectionHeaderSize, namesName, StringTable, namesAt,
                     names.size());
    PutSectionHeader(bytes, tableAt + 2 * SectionHeaderSize, sectionName, ProgramBits, contentAt,
                     content.size());
    return bytes;
}
