#include "VersionResourceFile.h"

#include <array>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>

namespace {

// A version block's length is a 16-bit field: nothing larger is ever read.
constexpr std::uint64_t MaxBlockSize = 0xFFFF;
constexpr std::uint16_t RtVersion = 16;
constexpr std::uint32_t HighBit = 0x80000000;

// Reads of a file at offsets that are checked against its size first.
class BoundedFile {
public:
    explicit BoundedFile(const std::string& path) : stream_(path, std::ios::binary) {
        if (stream_) {
            stream_.seekg(0, std::ios::end);
            const std::streamoff end = stream_.tellg();
            size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }

    std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::uint64_t length) {
        if (offset > size_ || length > size_ - offset) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
        if (!stream_) {
            return std::nullopt;
        }
        return bytes;
    }

    // An unsigned field of `width` bytes in the given byte order.
    std::optional<std::uint64_t> Field(std::uint64_t offset, int width, bool bigEndian) {
        const auto bytes = Read(offset, static_cast<std::uint64_t>(width));
        if (!bytes) {
            return std::nullopt;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            value = (value << 8) | (*bytes)[static_cast<std::size_t>(index)];
        }
        return value;
    }

private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

// The block ends where its own length says, which must lie within what holds it.
std::vector<std::uint8_t> TrimToBlock(std::vector<std::uint8_t> bytes) {
    if (bytes.size() < 2) {
        return {};
    }
    const std::size_t length = bytes[0] | (bytes[1] << 8);
    if (length < 6 || length > bytes.size()) {
        return {};
    }
    bytes.resize(length);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ElfVersionSection(BoundedFile& file) {
    const auto ident = file.Read(0, 16);
    if (!ident || (*ident)[0] != 0x7F || (*ident)[1] != 'E' || (*ident)[2] != 'L' ||
        (*ident)[3] != 'F') {
        return std::nullopt;
    }
    const bool wide = (*ident)[4] == 2;
    const bool big = (*ident)[5] == 2;
    if (((*ident)[4] != 1 && !wide) || ((*ident)[5] != 1 && !big)) {
        return std::nullopt;
    }
    const int word = wide ? 8 : 4;
    auto field = [&](std::uint64_t offset, int width) { return file.Field(offset, width, big); };
    const auto sectionTable = field(wide ? 0x28 : 0x20, word);
    const auto entrySize = field(wide ? 0x3A : 0x2E, 2);
    const auto count = field(wide ? 0x3C : 0x30, 2);
    const auto namesIndex = field(wide ? 0x3E : 0x32, 2);
    if (!sectionTable || !entrySize || !count || !namesIndex ||
        *entrySize < static_cast<std::uint64_t>(wide ? 0x40 : 0x28) || *namesIndex >= *count) {
        return std::nullopt;
    }
    // Fields of section header `index`: name, type, file offset and size.
    struct Section {
        std::uint64_t name, type, offset, size;
    };
    auto section = [&](std::uint64_t index) -> std::optional<Section> {
        const std::uint64_t at = *sectionTable + index * *entrySize; // count and size are 16-bit
        const auto name = field(at, 4);
        const auto type = field(at + 4, 4);
        const auto offset = field(at + (wide ? 0x18 : 0x10), word);
        const auto size = field(at + (wide ? 0x20 : 0x14), word);
        if (!name || !type || !offset || !size) {
            return std::nullopt;
        }
        return Section{*name, *type, *offset, *size};
    };
    const auto names = section(*namesIndex);
    if (!names) {
        return std::nullopt;
    }
    const std::string_view wanted = VersionSectionName;
    constexpr std::uint64_t NoBits = 8;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto candidate = section(i);
        if (!candidate) {
            return std::nullopt;
        }
        if (candidate->name >= names->size || names->size - candidate->name < wanted.size() + 1) {
            continue;
        }
        const auto name = file.Read(names->offset + candidate->name, wanted.size() + 1);
        if (!name || std::string_view(reinterpret_cast<const char*>(name->data()), name->size()) !=
                         std::string_view(wanted.data(), wanted.size() + 1)) {
            continue;
        }
        if (candidate->type == NoBits) {
            return std::nullopt;
        }
        return file.Read(candidate->offset, std::min(candidate->size, MaxBlockSize));
    }
    return std::nullopt;
}

struct PeSection {
    std::uint32_t virtualAddress, rawSize, rawOffset;
};

// The file offset of `length` bytes at `rva`, when they lie in one section's raw data.
std::optional<std::uint64_t> RvaToOffset(const std::vector<PeSection>& sections, std::uint32_t rva,
                                         std::uint64_t length) {
    for (const PeSection& s : sections) {
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize &&
            length <= s.rawSize - (rva - s.virtualAddress)) {
            return std::uint64_t{s.rawOffset} + (rva - s.virtualAddress);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> PeVersionResource(BoundedFile& file) {
    auto u16 = [&](std::uint64_t offset) { return file.Field(offset, 2, false); };
    auto u32 = [&](std::uint64_t offset) { return file.Field(offset, 4, false); };
    const auto mz = u16(0);
    const auto peOffset = u32(0x3C);
    if (!mz || *mz != 0x5A4D || !peOffset) {
        return std::nullopt;
    }
    const auto signature = u32(*peOffset);
    const auto sectionCount = u16(*peOffset + 6);
    const auto optionalSize = u16(*peOffset + 20);
    const std::uint64_t optional = *peOffset + 24;
    const auto magic = u16(optional);
    if (!signature || *signature != 0x00004550 || !sectionCount || !optionalSize || !magic ||
        (*magic != 0x10B && *magic != 0x20B)) {
        return std::nullopt;
    }
    const bool plus = *magic == 0x20B;
    const auto directoryCount = u32(optional + (plus ? 108 : 92));
    const std::uint64_t resourceEntry = optional + (plus ? 112 : 96) + 2 * 8;
    if (!directoryCount || *directoryCount < 3 || resourceEntry + 8 > optional + *optionalSize) {
        return std::nullopt;
    }
    const auto resourceRva = u32(resourceEntry);
    if (!resourceRva || *resourceRva == 0) {
        return std::nullopt;
    }
    std::vector<PeSection> sections;
    const std::uint64_t table = optional + *optionalSize;
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
        const std::uint64_t at = table + i * 40;
        const auto va = u32(at + 12);
        const auto rawSize = u32(at + 16);
        const auto rawOffset = u32(at + 20);
        if (!va || !rawSize || !rawOffset) {
            return std::nullopt;
        }
        sections.push_back({static_cast<std::uint32_t>(*va), static_cast<std::uint32_t>(*rawSize),
                            static_cast<std::uint32_t>(*rawOffset)});
    }
    const auto root = RvaToOffset(sections, static_cast<std::uint32_t>(*resourceRva), 16);
    if (!root) {
        return std::nullopt;
    }
    // Directory offsets count from the start of the resource data, through the section table.
    auto resourceOffset = [&](std::uint32_t relative,
                              std::uint64_t length) -> std::optional<std::uint64_t> {
        const std::uint64_t rva = std::uint64_t{*resourceRva} + relative;
        if (rva > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
        return RvaToOffset(sections, static_cast<std::uint32_t>(rva), length);
    };
    // The entry of a directory with the given id (or its first entry): its target offset.
    auto entry = [&](std::uint64_t directory,
                     std::optional<std::uint16_t> id) -> std::optional<std::uint32_t> {
        const auto named = u16(directory + 12);
        const auto ids = u16(directory + 14);
        if (!named || !ids) {
            return std::nullopt;
        }
        const std::uint64_t total = std::uint64_t{*named} + *ids;
        for (std::uint64_t i = id ? *named : 0; i < total; ++i) {
            const auto name = u32(directory + 16 + i * 8);
            const auto target = u32(directory + 16 + i * 8 + 4);
            if (!name || !target) {
                return std::nullopt;
            }
            if (!id || (!(*name & HighBit) && *name == *id)) {
                return static_cast<std::uint32_t>(*target);
            }
        }
        return std::nullopt;
    };
    // Three levels: type, name, language; the last leads to a data entry.
    std::uint64_t directory = *root;
    std::uint32_t target = 0;
    for (int level = 0; level < 3; ++level) {
        const auto found =
            entry(directory, level == 0 ? std::optional<std::uint16_t>(RtVersion) : std::nullopt);
        const bool isDirectory = found && (*found & HighBit);
        if (!found || isDirectory != (level < 2)) {
            return std::nullopt;
        }
        target = *found & ~HighBit;
        const auto next = resourceOffset(target, 16);
        if (!next) {
            return std::nullopt;
        }
        directory = *next;
    }
    const auto dataRva = u32(directory);
    const auto dataSize = u32(directory + 4);
    if (!dataRva || !dataSize || *dataSize == 0) {
        return std::nullopt;
    }
    const std::uint64_t size = std::min<std::uint64_t>(*dataSize, MaxBlockSize);
    const auto data = RvaToOffset(sections, static_cast<std::uint32_t>(*dataRva), size);
    if (!data) {
        return std::nullopt;
    }
    return file.Read(*data, size);
}

} // namespace

std::vector<std::uint8_t> ReadVersionBlockOfFile(const std::string& path) {
    BoundedFile file(path);
    if (auto elf = ElfVersionSection(file)) {
        return TrimToBlock(std::move(*elf));
    }
    if (auto pe = PeVersionResource(file)) {
        return TrimToBlock(std::move(*pe));
    }
    return {};
}
