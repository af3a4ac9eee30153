#pragma once

#include "ComTypes.h"
#include "TComBuffer.h"
#include "TComFlowControl.h"
#include "TComLink.h"
#include "TComParity.h"
#include "TComTimeouts.h"
#include "device/DeviceFactory.h"
#include "device/SerialDevice.h"
#include "platform/TComponent.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class TComThread;
class TIniFile;
class TMessageReceiver;
class TRegistry;
struct TAsyncRequest;

// A serial port: its settings, the device while it is open, the event thread that reports the
// device's events, and the links through which other components receive its data. Settings
// reach an open device as soon as they are set, group by group, or all at once at the end of a
// settings update.
class TCustomComPort : public TComponent {
public:
    using NotifyEvent = std::function<void(TCustomComPort& sender)>;
    using RxCharEvent = std::function<void(TCustomComPort& sender, std::int32_t count)>;
    using RxBufEvent =
        std::function<void(TCustomComPort& sender, const void* buffer, std::int32_t count)>;
    using SignalEvent = std::function<void(TCustomComPort& sender, bool onOff)>;
    using ErrorEvent = std::function<void(TCustomComPort& sender, TComErrors errors)>;

    // Without a device of its own the port takes the one that DeviceFactory makes for its name.
    explicit TCustomComPort(TComponent* owner = nullptr,
                            std::unique_ptr<SerialDevice> device = nullptr);
    ~TCustomComPort() override;

    // Settings.
    // False as soon as a close has been asked for, also while it waits for delivery to return.
    bool Connected() const { return connected_ && !closeRequested_; }
    void SetConnected(bool connected);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate baudRate);
    std::int32_t CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(std::int32_t customBaudRate);
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& port);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits stopBits);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits dataBits);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool discardNull);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char eventChar);
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents events) { events_ = events; }
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod syncMethod);
    TThreadPriority EventPriority() const { return eventPriority_; }
    void SetEventPriority(TThreadPriority priority) { eventPriority_ = priority; }

    TComParity& Parity() { return parity_; }
    const TComParity& Parity() const { return parity_; }
    void SetParity(const TComParity& parity);
    TComFlowControl& FlowControl() { return flowControl_; }
    const TComFlowControl& FlowControl() const { return flowControl_; }
    void SetFlowControl(const TComFlowControl& flowControl);
    TComTimeouts& Timeouts() { return timeouts_; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    void SetTimeouts(const TComTimeouts& timeouts);
    TComBuffer& Buffer() { return buffer_; }
    const TComBuffer& Buffer() const { return buffer_; }
    void SetBuffer(const TComBuffer& buffer);

    void BeginSettingsUpdate();
    void EndSettingsUpdate();
    virtual void ApplySettings();
    virtual void ApplyLineSettings();
    virtual void ApplyTimeouts();
    virtual void ApplyBufferSizes();

    // Which groups of settings SaveSettings and RestoreSettings handle.
    TStoredGroups StoredGroups() const { return storedGroups_; }
    void SetStoredGroups(TStoredGroups groups) { storedGroups_ = groups; }
    // Writes the stored groups under a registry key ("HKEY_CURRENT_USER\Software\...", the
    // port's Name appended) or into an ini file (section: the port's Name). Any failure raises
    // EComPort code 16.
    void SaveSettings(TStoreType storeType, const std::string& path);
    // Reads them back through the setters, inside one settings update. Any failure raises
    // EComPort code 17; what was assigned before it stays.
    void RestoreSettings(TStoreType storeType, const std::string& path);

    // The device-control block the line settings make.
    DeviceControlBlock MakeDeviceControlBlock() const;

    // Opening, closing, reading. A Close asked for while an event is being delivered (by a
    // handler or a link, on any thread) is carried out on the main thread once that delivery has
    // returned: the event thread cannot be waited for while it waits for the delivery. An Open
    // asked for in the same delivery follows it.
    void Open();
    void Close();
    std::int32_t PendingInputCount();
    TComErrors ReadLineErrors();
    TModemLines ModemSignals();
    std::int32_t Read(void* buffer, std::int32_t count);
    std::int32_t StartRead(void* buffer, std::int32_t count, TAsyncRequest* request);
    std::int32_t WaitForRequest(TAsyncRequest* request);
    void AbortPending();

    void AttachLink(TComLink& link);
    void DetachLink(TComLink& link);

    // Event delivery: the whole report in its fixed order, or one event.
    void DispatchEvents(TComEvents events);
    void DeliverEvent(TComEvent event);

    SerialDevice& Device() { return *device_; }
    // How long a receiver on the network may stay connected and silent before it counts as
    // lost; for the devices the port picks itself, from their next open.
    void SetNetworkSilenceLimit(std::chrono::milliseconds limit) { networkSilenceLimit_ = limit; }
    bool ThreadCreated() const { return threadCreated_; }
    // The kernel's id of the event thread; 0 without one.
    pid_t EventThreadSystemId() const;

    NotifyEvent OnAfterOpen;
    NotifyEvent OnAfterClose;
    NotifyEvent OnBeforeOpen;
    NotifyEvent OnBeforeClose;
    RxCharEvent OnRxChar;
    RxBufEvent OnRxBuf;
    NotifyEvent OnTxEmpty;
    NotifyEvent OnBreak;
    NotifyEvent OnRing;
    SignalEvent OnCTSChange;
    SignalEvent OnDSRChange;
    SignalEvent OnRLSDChange;
    ErrorEvent OnError;
    NotifyEvent OnRxFlag;
    NotifyEvent OnRx80Full;

protected:
    void Loaded() override;
    virtual void SaveToRegistry(TRegistry& registry);
    virtual void SaveToIniFile(TIniFile& iniFile);
    virtual void RestoreFromRegistry(TRegistry& registry);
    virtual void RestoreFromIniFile(TIniFile& iniFile);
    virtual void OpenDevice();
    virtual void CloseDevice();

    // One per event, each calling its handler when assigned.
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(std::int32_t count);
    virtual void DoRxBuf(const void* buffer, std::int32_t count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool onOff);
    virtual void DoDSRChange(bool onOff);
    virtual void DoError(TComErrors errors);
    virtual void DoRLSDChange(bool onOff);
    virtual void DoRx80Full();

private:
    friend class TComThread;
    friend class TMessageReceiver;

    bool MayApply() const;
    bool Delivering() const;
    void BeginDelivery();
    void EndDelivery();
    void PostRequestedClose();
    void CarryOutRequestedClose();
    void CloseNow();
    void StopEventThread();
    void DeliverOne(TComEvent event);
    void ReceiveDispatch();
    void DeliverSignal(TModemLine line, TComLink::SignalEvent TComLink::*slot,
                       void (TCustomComPort::*event)(bool));
    template <class Slot, class... Arguments>
    void CallLinks(Slot TComLink::*slot, Arguments&&... arguments);
    void RecomputeRxLink();

    std::unique_ptr<TComThread> eventThread_;
    bool threadCreated_ = false;
    // Without a device of its own the port picks the kind the name asks for at each open.
    const bool choosesDevice_;
    DeviceFactory::Kind deviceKind_ = DeviceFactory::Kind::Terminal;
    std::chrono::milliseconds networkSilenceLimit_;
    // What the device in use was made with.
    std::chrono::milliseconds deviceSilenceLimit_;
    std::unique_ptr<SerialDevice> device_;
    std::unique_ptr<TMessageReceiver> messageReceiver_;
    int updateCount_ = 0;
    std::vector<TComLink*> links_;
    TThreadPriority eventPriority_ = TThreadPriority::tpNormal;
    bool hasRxLink_ = false;
    bool connected_ = false;
    bool closing_ = false;
    // Deliveries under way on the main thread, and on the event thread (smNone); a Close asked
    // for during one is carried out when its count is back at 0.
    int deliveryDepth_ = 0;
    std::atomic<int> eventThreadDeliveries_ = 0;
    // Set on the event thread too, with SyncMethod smNone.
    std::atomic<bool> closeRequested_ = false;
    std::atomic<bool> reopenRequested_ = false;
    TBaudRate baudRate_ = TBaudRate::br9600;
    std::int32_t customBaudRate_ = 9600;
    std::string port_ = "COM1";
    TStopBits stopBits_ = TStopBits::sbOneStopBit;
    TDataBits dataBits_ = TDataBits::dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TComEvents events_ = AllComEvents;
    TComBuffer buffer_;
    TComParity parity_;
    TComTimeouts timeouts_;
    TComFlowControl flowControl_;
    TSyncMethod syncMethod_ = TSyncMethod::smThreadSync;
    TStoredGroups storedGroups_{TStoredGroup::sgBasic};
    // What a call posted to the main thread finds of the port: nothing once it has gone.
    std::shared_ptr<TCustomComPort*> self_;
};

// Opens the key of `path` for a component: the first segment names the root key (recognised in
// any letter case, otherwise left as it is) and is dropped, the rest gets a "\" if it lacks one
// and the component's name. A path without "\" opens nothing.
void OpenSettingsKey(TRegistry& registry, const std::string& path,
                     const std::string& componentName);
