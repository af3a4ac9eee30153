#pragma once

#include <cstdint>

class TCustomComPort;

// Sizes of the device's input and output queues. A positive odd size is stored as the next lower
// even number. A change re-applies the port's buffer sizes.
class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort* port = nullptr) : port_(port) {}
    TComBuffer(const TComBuffer& other) { Assign(other); }
    TComBuffer& operator=(const TComBuffer&) = delete;

    void Assign(const TComBuffer& other);

    std::int32_t InputSize() const { return inputSize_; }
    void SetInputSize(std::int32_t size);
    std::int32_t OutputSize() const { return outputSize_; }
    void SetOutputSize(std::int32_t size);

private:
    void Change(std::int32_t& field, std::int32_t size);

    TCustomComPort* port_ = nullptr;
    std::int32_t inputSize_ = 1024;
    std::int32_t outputSize_ = 1024;
};
