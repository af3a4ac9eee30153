#include "FuzzInput.h"

#include <algorithm>

std::uint8_t FuzzInput::Byte() {
    if (data_.empty()) {
        return 0;
    }
    const std::uint8_t byte = data_.front();
    data_ = data_.subspan(1);
    return byte;
}

std::string FuzzInput::Bytes(std::size_t count) {
    const std::size_t taken = std::min(count, data_.size());
    std::string bytes(reinterpret_cast<const char*>(data_.data()), taken);
    data_ = data_.subspan(taken);
    return bytes;
}

std::string FuzzInput::Text(std::size_t maxLength) {
    return Bytes(Byte() % (maxLength + 1));
}
