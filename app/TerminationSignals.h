#pragma once

#include "platform/FileDescriptor.h"

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread, so that a logout or a kill
// ends the program the way "Exit" does, with the grid saved.
class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void()> onSignal);
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;
    ~TerminationSignals();

private:
    void Received();

    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> onSignal_;
};
