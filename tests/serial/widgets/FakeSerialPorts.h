#pragma once

#include "serial/EComPort.h"
#include "serial/SerialPortList.h"

#include <string>
#include <vector>

// A port list for tests: the given names, or the registry error with `errorNumber` when it is
// not 0. Counts how often it was read.
class FakeSerialPorts : public SerialPortSource {
public:
    explicit FakeSerialPorts(std::vector<std::string> ports = {}, int errorNumber = 0)
        : ports_(std::move(ports)), errorNumber_(errorNumber) {}

    std::vector<std::string> Ports() const override {
        ++reads_;
        if (errorNumber_ != 0) {
            throw EComPort(ComError::RegError, errorNumber_);
        }
        return ports_;
    }

    int Reads() const { return reads_; }

private:
    std::vector<std::string> ports_;
    int errorNumber_;
    mutable int reads_ = 0;
};
