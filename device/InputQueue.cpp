#include "InputQueue.h"

#include <algorithm>

std::uint32_t InputQueue::Push(std::string_view bytes, const DeviceControlBlock& control,
                               std::uint32_t& errors) {
    const std::size_t capacity = Capacity();
    std::uint32_t found = 0;
    for (const char byte : bytes) {
        if (control.fNull && byte == '\0') {
            continue;
        }
        if (byte == control.EvtChar) {
            found |= DeviceEvent::RxFlag;
        }
        if (bytes_.size() >= capacity) {
            errors |= LineError::RxOver;
            found |= DeviceEvent::Err;
            continue;
        }
        bytes_.push_back(byte);
        found |= DeviceEvent::RxChar;
    }
    // 80 % of the size the port asked for, in whole numbers.
    if (found != 0 && bytes_.size() * 5 >= std::size_t{inputSize_} * 4) {
        found |= DeviceEvent::Rx80Full;
    }
    return found;
}

std::uint32_t InputQueue::Take(char* buffer, std::uint32_t count) {
    const std::size_t taken = std::min<std::size_t>(count, bytes_.size());
    std::copy_n(bytes_.begin(), taken, buffer);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(taken));
    return static_cast<std::uint32_t>(taken);
}

std::size_t InputQueue::Capacity() const {
    return std::max<std::size_t>(inputSize_, MinimumCapacity);
}

std::size_t InputQueue::Room() const {
    return Capacity() - std::min(bytes_.size(), Capacity());
}
