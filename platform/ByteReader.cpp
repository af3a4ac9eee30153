#include "ByteReader.h"

#include "Exception.h"

#include <bit>
#include <cstring>

std::uint8_t ByteReader::U8(const char* what) {
    return static_cast<std::uint8_t>(LittleEndian(1, what));
}

std::uint16_t ByteReader::U16(const char* what) {
    return static_cast<std::uint16_t>(LittleEndian(2, what));
}

std::uint32_t ByteReader::U32(const char* what) {
    return static_cast<std::uint32_t>(LittleEndian(4, what));
}

std::uint64_t ByteReader::U64(const char* what) {
    return LittleEndian(8, what);
}

std::int64_t ByteReader::I64(const char* what) {
    return std::bit_cast<std::int64_t>(LittleEndian(8, what));
}

double ByteReader::F64(const char* what) {
    return std::bit_cast<double>(LittleEndian(8, what));
}

std::uint64_t ByteReader::Varint(const char* what, std::uint64_t max) {
    std::uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const std::uint8_t byte = U8(what);
        const std::uint64_t bits = byte & 0x7FU;
        // Nine groups of seven bits hold every value this reader gives.
        if (shift > 56) {
            Fail(std::string("the ") + what + " is too large");
        }
        value |= bits << shift;
        if ((byte & 0x80U) == 0) {
            if (byte == 0 && shift > 0) {
                Fail(std::string("the ") + what + " is not in its shortest form");
            }
            break;
        }
    }
    if (value > max) {
        Fail(std::string("the ") + what + " " + std::to_string(value) + " is beyond " +
             std::to_string(max));
    }
    return value;
}

std::string_view ByteReader::Bytes(std::size_t count, const char* what) {
    if (count > Remaining()) {
        Fail(std::string("the file ends inside the ") + what);
    }
    const std::string_view part = bytes_.substr(at_, count);
    at_ += count;
    return part;
}

std::uint64_t ByteReader::LittleEndian(std::size_t size, const char* what) {
    const std::string_view part = Bytes(size, what);
    std::uint64_t value = 0;
    for (std::size_t k = size; k-- > 0;) {
        value = (value << 8U) | static_cast<unsigned char>(part[k]);
    }
    return value;
}

void ByteReader::Fail(const std::string& reason) const {
    throw Exception(reason + " (at byte " + std::to_string(at_) + ")");
}
