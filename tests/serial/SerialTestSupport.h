#pragma once

#include "MainThreadPump.h"
#include "serial/TCustomComPort.h"
#include "support/FakeSerialDevice.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A port on a scripted device, and a log of what its handlers and links saw.
struct PortOnFake {
    PortOnFake();
    // The port closes as it goes, calling handlers and links that must still be there.
    ~PortOnFake() { port.reset(); }

    // Assigns every handler of the port so that each call lands in `log`, prefixed with the
    // number of device calls made so far ("3 BeforeOpen"), which shows the interleaving.
    void LogHandlers();
    // A link whose every slot logs "<name>.<slot>[ value]".
    TComLink& AddLoggingLink(const std::string& name);
    std::vector<std::string> Log() const;
    void ClearLog();

    std::shared_ptr<FakeSerialDevice::Script> script;
    std::unique_ptr<TCustomComPort> port;
    std::vector<std::unique_ptr<TComLink>> links;
    std::vector<std::string> log;
};

// A receiver log from the shared captures without its "#" comment lines.
std::string LogWithoutComments(const std::string& name);

// The sentences from `start` to the first "*" after it, cut by hand; without `includeStrings`
// the start and the "*" are left out.
std::vector<std::string> Cut(const std::string& text, const std::string& start,
                             bool includeStrings);
