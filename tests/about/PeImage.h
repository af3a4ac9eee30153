#pragma once

#include <cstdint>
#include <vector>

// A minimal Windows PE file whose only resource is a version block, laid out as a resource
// compiler and linker leave it: type 16, name 1, one language, one data entry in ".rsrc".
struct PeImageOptions {
    bool plus = false;           // PE32+ (64-bit) instead of PE32
    bool namedTypeFirst = false; // a named resource type ahead of the numbered ones
    std::uint16_t language = 0x0809;
};

std::vector<std::uint8_t> MakePeImage(const std::vector<std::uint8_t>& versionBlock,
                                      const PeImageOptions& options = {});

// Where fields of that layout lie, for tests that damage them.
inline constexpr std::size_t PeHeaderOffset = 0x40;
inline constexpr std::size_t PeResourceOffset = 0x200;
