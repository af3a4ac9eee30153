#pragma once

#include <cstdint>
#include <string_view>

// The CRC-32 of zlib, PNG and Ethernet (reflected polynomial 0xEDB88320, all ones in and out):
// "123456789" gives 0xCBF43926.
std::uint32_t Crc32(std::string_view bytes);
