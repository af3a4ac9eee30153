#include "TComThread.h"

#include "TCustomComPort.h"
#include "TMessageReceiver.h"
#include "device/SerialDevice.h"
#include "platform/ApplicationExceptions.h"

#include <array>
#include <thread>

TComThread::TComThread(TCustomComPort& port) : port_(port) {
    SetPriority(port_.EventPriority());
    port_.Device().ResetStop();
    port_.Device().SetCommMask(EventsToMask(port_.Events()));
    Start();
}

TComThread::~TComThread() {
    port_.Device().StopWait();
    std::this_thread::yield();
    WaitFor();
}

void TComThread::Execute() {
    SerialDevice& device = port_.Device();
    for (;;) {
        std::uint32_t mask = 0;
        if (device.WaitEvent(mask) != WaitOutcome::Event) {
            break;
        }
        events_ = MaskToEvents(mask);
        DispatchEntry();
    }
    device.SetCommMask(0);
    device.PurgeComm(Purge::TxClear | Purge::RxClear);
}

void TComThread::DispatchEntry() {
    switch (port_.SyncMethod()) {
    case TSyncMethod::smThreadSync:
        Synchronize([this] { DirectDispatch(); });
        break;
    case TSyncMethod::smWindowSync:
        for (const TComEvent event : EventDeliveryOrder) {
            if (events_.Contains(event)) {
                port_.messageReceiver_->Send(EventsToMask({event}));
            }
        }
        break;
    case TSyncMethod::smNone:
        DirectDispatch();
        break;
    }
}

// An error from a handler or a link is shown by the application, and the next report is
// delivered as usual: one bad sentence must not stop reception.
void TComThread::DirectDispatch() {
    try {
        port_.DispatchEvents(events_);
    } catch (...) {
        HandleApplicationException();
    }
}
