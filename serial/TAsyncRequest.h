#pragma once

#include <cstdint>

// One device operation in progress: the port allocates it for a read and frees it afterwards.
// The device reads at once, so the request only carries what the read gave.
struct TAsyncRequest {
    enum class Kind : std::uint8_t { Write = 0, Read = 1 };

    Kind kind = Kind::Write;
    void* data = nullptr; // data carried by a write request; never set by this program
    std::uint32_t dataSize = 0;
    std::uint32_t transferred = 0;
    int systemError = 0;
};
