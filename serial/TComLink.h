#pragma once

#include <cstdint>
#include <functional>

class TCustomComPort;

// The callbacks through which a port tells an attached component about its activity. The port
// calls a slot only when it is assigned; it never owns the link.
struct TComLink {
    using SignalEvent = std::function<void(TCustomComPort& sender, bool onOff)>;
    using BufferEvent =
        std::function<void(TCustomComPort& sender, const void* buffer, std::int32_t count)>;
    using NotifyEvent = std::function<void(TCustomComPort& sender)>;

    SignalEvent OnPortOpenClose;
    BufferEvent OnRxData;
    BufferEvent OnTxData;
    NotifyEvent OnTxEmptied;
    NotifyEvent OnEventCharRx;
    SignalEvent OnCTSSignal;
    SignalEvent OnDSRSignal;
    SignalEvent OnRLSDSignal;
    NotifyEvent OnRingSignal;
    SignalEvent OnTxActivity;
    SignalEvent OnRxActivity;
};
