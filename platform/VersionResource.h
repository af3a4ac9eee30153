#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Access to the version resource of a file, in the platform's VS_VERSIONINFO layout, as the
// version reader expects it: size query, read, and look-up of a sub-block by path.

// Bytes needed for the version resource of `path`; 0 when it has none or cannot be read.
std::uint32_t GetFileVersionInfoSize(const std::string& path);

// Reads it into `data` (resized to its size); false when there is none.
bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& data);

// The value at "\" (the fixed block), "\VarFileInfo\Translation" or
// "\StringFileInfo\<translation>\<key>" (keys match regardless of ASCII case); none when the path
// is absent or the block is damaged. The view points into `block`.
std::optional<std::span<const std::uint8_t>> VerQueryValue(std::span<const std::uint8_t> block,
                                                           std::string_view path);

// A string value found by VerQueryValue, up to its terminating zero, in the given code page
// (the locale's by default).
std::string VersionStringText(std::span<const std::uint8_t> value, int codePage);
std::string VersionStringText(std::span<const std::uint8_t> value);

// Little-endian fields of a block, read without alignment assumptions.
std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset);
