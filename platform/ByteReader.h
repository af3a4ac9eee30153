#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads a stored binary form from the front: little-endian integers, IEEE 754 doubles and
// unsigned LEB128 varints, each bounds-checked. Anything the bytes do not hold, or hold in an
// overlong or oversized form, raises Exception naming `what` was being read; nothing is read past
// the end.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t U8(const char* what);
    std::uint16_t U16(const char* what);
    std::uint32_t U32(const char* what);
    std::uint64_t U64(const char* what);
    std::int64_t I64(const char* what);
    double F64(const char* what);
    // At most `max` (below 2^63), in its shortest form.
    std::uint64_t Varint(const char* what, std::uint64_t max);
    std::string_view Bytes(std::size_t count, const char* what);

    std::size_t Remaining() const { return bytes_.size() - at_; }
    std::size_t Offset() const { return at_; }

    [[noreturn]] void Fail(const std::string& reason) const;

private:
    std::uint64_t LittleEndian(std::size_t size, const char* what);

    std::string_view bytes_;
    std::size_t at_ = 0;
};
