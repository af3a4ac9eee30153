#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Settings read off the front of a fuzz input, the data itself after them. Past the end every
// read gives zero or nothing, so that every input is a valid one.
class FuzzInput {
public:
    explicit FuzzInput(std::span<const std::uint8_t> data) : data_(data) {}

    bool Empty() const { return data_.empty(); }
    std::uint8_t Byte();
    bool Flag() { return (Byte() & 1) != 0; }
    // The next `count` bytes, or what is left.
    std::string Bytes(std::size_t count);
    // A text of up to `maxLength` bytes whose length is the byte before it.
    std::string Text(std::size_t maxLength);

private:
    std::span<const std::uint8_t> data_;
};
