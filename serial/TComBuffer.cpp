#include "TComBuffer.h"

#include "TCustomComPort.h"

void TComBuffer::Assign(const TComBuffer& other) {
    inputSize_ = other.inputSize_;
    outputSize_ = other.outputSize_;
}

void TComBuffer::Change(std::int32_t& field, std::int32_t size) {
    if (size > 0 && size % 2 == 1) {
        --size;
    }
    if (field == size) {
        return;
    }
    field = size;
    if (port_ != nullptr) {
        port_->ApplyBufferSizes();
    }
}

void TComBuffer::SetInputSize(std::int32_t size) {
    Change(inputSize_, size);
}
void TComBuffer::SetOutputSize(std::int32_t size) {
    Change(outputSize_, size);
}
