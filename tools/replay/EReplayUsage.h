#pragma once

#include "platform/Exception.h"

// A command line the tool cannot run: the message says what is wrong with it, and the tool
// answers with its usage line.
class EReplayUsage : public Exception {
public:
    using Exception::Exception;
};
