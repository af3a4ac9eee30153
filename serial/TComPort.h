#pragma once

#include "TCustomComPort.h"

// The port the application places on its window: every setting of TCustomComPort, published.
class TComPort : public TCustomComPort {
public:
    using TCustomComPort::TCustomComPort;
};
