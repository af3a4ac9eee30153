#include "PeImage.h"

#include <string>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

// A directory with one entry at `at`; returns where the entry lies.
std::size_t Directory(std::vector<std::uint8_t>& out, std::size_t at, int named, int ids) {
    Put16(out, at + 12, static_cast<std::uint32_t>(named));
    Put16(out, at + 14, static_cast<std::uint32_t>(ids));
    return at + 16;
}

} // namespace

std::vector<std::uint8_t> MakePeImage(const std::vector<std::uint8_t>& versionBlock,
                                      const PeImageOptions& options) {
    constexpr std::uint32_t SectionRva = 0x1000;
    const std::uint32_t optionalSize = options.plus ? 240 : 224;
    std::vector<std::uint8_t> out(PeResourceOffset, 0);
    out[0] = 'M';
    out[1] = 'Z';
    Put32(out, 0x3C, PeHeaderOffset);
    const std::size_t pe = PeHeaderOffset;
    out[pe] = 'P';
    out[pe + 1] = 'E';
    Put16(out, pe + 4, options.plus ? 0x8664 : 0x14C);
    Put16(out, pe + 6, 1);
    Put16(out, pe + 20, optionalSize);
    Put16(out, pe + 22, options.plus ? 0x2022 : 0x0102);
    const std::size_t optional = pe + 24;
    Put16(out, optional, options.plus ? 0x20B : 0x10B);
    Put32(out, optional + 32, 0x1000); // section alignment
    Put32(out, optional + 36, 0x200);  // file alignment
    Put32(out, optional + (options.plus ? 108 : 92), 16);
    const std::size_t directories = optional + (options.plus ? 112 : 96);

    // The resource tree, offsets relative to the start of ".rsrc".
    std::vector<std::uint8_t> rsrc(0x80, 0);
    const std::size_t typeEntries = Directory(rsrc, 0, options.namedTypeFirst ? 1 : 0, 1);
    std::size_t typeEntry = typeEntries;
    if (options.namedTypeFirst) {
        Put32(rsrc, typeEntry, 0x80000070); // a name string, placed after the data
        Put32(rsrc, typeEntry + 4, 0x80000020);
        typeEntry += 8;
    }
    Put32(rsrc, typeEntry, 16);
    Put32(rsrc, typeEntry + 4, 0x80000020);
    Put32(rsrc, Directory(rsrc, 0x20, 0, 1), 1);
    Put32(rsrc, 0x34, 0x80000040);
    Put32(rsrc, Directory(rsrc, 0x40, 0, 1), options.language);
    Put32(rsrc, 0x54, 0x60);
    Put32(rsrc, 0x60, SectionRva + 0x80); // data entry: RVA, size, code page
    Put32(rsrc, 0x64, static_cast<std::uint32_t>(versionBlock.size()));
    rsrc.insert(rsrc.end(), versionBlock.begin(), versionBlock.end());
    while (rsrc.size() % 0x200 != 0) {
        rsrc.push_back(0);
    }
    Put32(out, directories + 2 * 8, SectionRva);
    Put32(out, directories + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));

    const std::size_t section = optional + optionalSize;
    const std::string name = ".rsrc";
    std::copy(name.begin(), name.end(), out.begin() + static_cast<std::ptrdiff_t>(section));
    Put32(out, section + 8, static_cast<std::uint32_t>(0x80 + versionBlock.size()));
    Put32(out, section + 12, SectionRva);
    Put32(out, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    Put32(out, section + 20, PeResourceOffset);
    Put32(out, section + 36, 0x40000040); // initialised data, readable
    Put32(out, optional + (options.plus ? 56 : 56),
          static_cast<std::uint32_t>(SectionRva + rsrc.size()));
    Put32(out, optional + 60, PeResourceOffset);
    out.insert(out.end(), rsrc.begin(), rsrc.end());
    return out;
}
