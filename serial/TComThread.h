#pragma once

#include "ComTypes.h"
#include "platform/TThread.h"

class TCustomComPort;

// Waits for the device's events while the port is open and hands each report to the port's
// event dispatch, on the thread its SyncMethod chooses. It never polls: between reports it sleeps
// in one wait that the device's events or the stop request end.
class TComThread : public TThread {
public:
    // Sets the device's event mask to the port's events and starts waiting.
    explicit TComThread(TCustomComPort& port);
    // Stops the wait and waits for the thread to end, running any dispatch already handed to
    // the main thread meanwhile.
    ~TComThread() override;

protected:
    void Execute() override;

private:
    void DispatchEntry();
    void DirectDispatch();

    TCustomComPort& port_;
    TComEvents events_;
};
