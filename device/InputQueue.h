#pragma once

#include "SerialDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

// A device's own input queue, where received bytes wait for the port and where the event
// character and the fill level can be seen. It holds max(InputSize, 4096) bytes, so that a small
// SetupComm cannot make an ordinary burst overflow it; when full, the oldest bytes stay and the
// excess is dropped with LineError::RxOver. Its device guards it: it is not thread-safe itself.
class InputQueue {
public:
    // Queues `bytes` as the line settings say (NUL bytes dropped under fNull) and returns the
    // device events they raise (RxChar, RxFlag, Rx80Full, Err on an overflow); line errors are
    // added to `errors`.
    std::uint32_t Push(std::string_view bytes, const DeviceControlBlock& control,
                       std::uint32_t& errors);
    // Moves up to `count` bytes, the oldest first, to `buffer`; returns how many.
    std::uint32_t Take(char* buffer, std::uint32_t count);
    void Clear() { bytes_.clear(); }

    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }
    std::size_t Capacity() const;
    std::size_t Room() const;

    std::uint32_t InputSize() const { return inputSize_; }
    // A smaller queue keeps what it holds; only new bytes see the new bound.
    void SetInputSize(std::uint32_t size) { inputSize_ = size; }

    static constexpr std::uint32_t MinimumCapacity = 4096;
    // SetupComm refuses larger queues: nothing a receiver sends needs them.
    static constexpr std::uint32_t MaximumInputSize = 16 * 1024 * 1024;

private:
    std::deque<char> bytes_;
    std::uint32_t inputSize_ = MinimumCapacity;
};
