#include "TCustomComPort.h"

#include "EComPort.h"
#include "TAsyncRequest.h"
#include "TComThread.h"
#include "TMessageReceiver.h"
#include "platform/ApplicationExceptions.h"
#include "platform/MainThreadCalls.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 4> ByteSizes = {5, 6, 7, 8};

} // namespace

TCustomComPort::TCustomComPort(TComponent* owner, std::unique_ptr<SerialDevice> device)
    : TComponent(owner), choosesDevice_(device == nullptr),
      networkSilenceLimit_(DeviceFactory::DefaultSilenceLimit()),
      deviceSilenceLimit_(networkSilenceLimit_),
      device_(device ? std::move(device) : DeviceFactory::Make(deviceKind_, networkSilenceLimit_)),
      buffer_(this), parity_(this), timeouts_(this), flowControl_(this),
      self_(std::make_shared<TCustomComPort*>(this)) {}

TCustomComPort::~TCustomComPort() {
    *self_ = nullptr;
    try {
        CloseNow();
    } catch (...) {
        // A destructor cannot report; the thread and the device must go all the same.
        StopEventThread();
        CloseDevice();
        connected_ = false;
    }
    // Packets detach their links while the list still exists.
    NotifyRemoval();
}

// ---- Settings ----------------------------------------------------------------------------

void TCustomComPort::SetConnected(bool connected) {
    if (Designing() || Loading()) {
        connected_ = connected;
        return;
    }
    if (connected != Connected()) {
        if (connected) {
            Open();
        } else {
            Close();
        }
    }
}

void TCustomComPort::Loaded() {
    TComponent::Loaded();
    if (connected_ && !Designing()) {
        connected_ = false;
        try {
            Open();
        } catch (...) {
            HandleApplicationException();
        }
    }
}

void TCustomComPort::SetBaudRate(TBaudRate baudRate) {
    if (baudRate_ != baudRate) {
        baudRate_ = baudRate;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetCustomBaudRate(std::int32_t customBaudRate) {
    if (customBaudRate_ != customBaudRate) {
        customBaudRate_ = customBaudRate;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetPort(const std::string& port) {
    if (port_ == port) {
        return;
    }
    port_ = port;
    if (Connected() && !Designing() && !Loading()) {
        Close();
        Open();
    }
}

void TCustomComPort::SetStopBits(TStopBits stopBits) {
    if (stopBits_ != stopBits) {
        stopBits_ = stopBits;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetDataBits(TDataBits dataBits) {
    if (dataBits_ != dataBits) {
        dataBits_ = dataBits;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetDiscardNull(bool discardNull) {
    if (discardNull_ != discardNull) {
        discardNull_ = discardNull;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetEventChar(char eventChar) {
    if (eventChar_ != eventChar) {
        eventChar_ = eventChar;
        ApplyLineSettings();
    }
}

void TCustomComPort::SetSyncMethod(TSyncMethod syncMethod) {
    if (syncMethod_ == syncMethod) {
        return;
    }
    if (connected_ && !Designing() && !Loading()) {
        throw EComPort(ComError::ConnChangeProp);
    }
    syncMethod_ = syncMethod;
}

void TCustomComPort::SetParity(const TComParity& parity) {
    parity_.Assign(parity);
    ApplyLineSettings();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& flowControl) {
    flowControl_.Assign(flowControl);
    ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& timeouts) {
    timeouts_.Assign(timeouts);
    ApplyTimeouts();
}

void TCustomComPort::SetBuffer(const TComBuffer& buffer) {
    buffer_.Assign(buffer);
    ApplyBufferSizes();
}

void TCustomComPort::BeginSettingsUpdate() {
    ++updateCount_;
}

void TCustomComPort::EndSettingsUpdate() {
    if (updateCount_ > 0) {
        --updateCount_;
        if (updateCount_ == 0) {
            ApplySettings();
        }
    }
}

bool TCustomComPort::MayApply() const {
    return connected_ && updateCount_ == 0 && !Designing() && !Loading();
}

void TCustomComPort::ApplySettings() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

DeviceControlBlock TCustomComPort::MakeDeviceControlBlock() const {
    DeviceControlBlock control;
    control.DCBlength = 28;
    control.BaudRate = static_cast<std::uint32_t>(
        baudRate_ == TBaudRate::brCustom ? customBaudRate_ : BaudRateValue(baudRate_));
    control.fBinary = true;
    control.fParity = parity_.Check();
    control.fOutxCtsFlow = flowControl_.OutCTSFlow();
    control.fOutxDsrFlow = flowControl_.OutDSRFlow();
    control.fDtrControl = static_cast<std::uint8_t>(flowControl_.ControlDTR());
    control.fDsrSensitivity = flowControl_.DSRSensitivity();
    control.fTXContinueOnXoff = flowControl_.TxContinueOnXoff();
    control.fOutX = flowControl_.XonXoffOut();
    control.fInX = flowControl_.XonXoffIn();
    const bool replace = parity_.Check() && parity_.Replace();
    control.fErrorChar = replace;
    control.fNull = discardNull_;
    control.fRtsControl = static_cast<std::uint8_t>(flowControl_.ControlRTS());
    control.fAbortOnError = false;
    control.XonLim = static_cast<std::uint16_t>(buffer_.InputSize() / 4);
    control.XoffLim = static_cast<std::uint16_t>(buffer_.InputSize() / 4);
    control.ByteSize = ByteSizes[static_cast<std::size_t>(dataBits_)];
    control.Parity = static_cast<std::uint8_t>(parity_.Bits());
    control.StopBits = static_cast<std::uint8_t>(stopBits_);
    control.XonChar = flowControl_.XonChar();
    control.XoffChar = flowControl_.XoffChar();
    control.ErrorChar = replace ? parity_.ReplaceChar() : 0;
    control.EvtChar = eventChar_;
    return control;
}

void TCustomComPort::ApplyLineSettings() {
    if (!MayApply()) {
        return;
    }
    if (const int error = device_->SetCommState(MakeDeviceControlBlock()); error != 0) {
        throw EComPort(ComError::SetState, error);
    }
}

void TCustomComPort::ApplyTimeouts() {
    if (!MayApply()) {
        return;
    }
    // -1 reaches the device as all ones.
    const CommTimeouts timeouts{static_cast<std::uint32_t>(timeouts_.ReadInterval()),
                                static_cast<std::uint32_t>(timeouts_.ReadTotalMultiplier()),
                                static_cast<std::uint32_t>(timeouts_.ReadTotalConstant()),
                                static_cast<std::uint32_t>(timeouts_.WriteTotalMultiplier()),
                                static_cast<std::uint32_t>(timeouts_.WriteTotalConstant())};
    if (const int error = device_->SetCommTimeouts(timeouts); error != 0) {
        throw EComPort(ComError::SetTimeouts, error);
    }
}

void TCustomComPort::ApplyBufferSizes() {
    if (!MayApply()) {
        return;
    }
    if (const int error = device_->SetupComm(static_cast<std::uint32_t>(buffer_.InputSize()),
                                             static_cast<std::uint32_t>(buffer_.OutputSize()));
        error != 0) {
        throw EComPort(ComError::SetupComm, error);
    }
}

// ---- Opening and closing -----------------------------------------------------------------

// The kind of device follows the name at each open, so that a setup may move the port from a
// serial device to the network and back. A device given to the port is kept whatever the name.
void TCustomComPort::OpenDevice() {
    const DeviceFactory::Kind kind = DeviceFactory::KindFor(port_);
    const bool network = kind == DeviceFactory::Kind::Network;
    if (choosesDevice_ &&
        (kind != deviceKind_ || (network && networkSilenceLimit_ != deviceSilenceLimit_))) {
        device_ = DeviceFactory::Make(kind, networkSilenceLimit_);
        deviceKind_ = kind;
        deviceSilenceLimit_ = networkSilenceLimit_;
    }
    if (const int error = device_->Open(port_); error != 0) {
        // A device that can say what is wrong (a malformed address) says it instead of a number.
        if (const std::string reason = device_->FailureText(); !reason.empty()) {
            throw EComPort(ComError::OpenPort, error, reason);
        }
        throw EComPort(ComError::OpenPort, error);
    }
}

void TCustomComPort::CloseDevice() {
    if (device_->IsOpen()) {
        device_->Close();
    }
}

void TCustomComPort::Open() {
    if (Designing()) {
        return;
    }
    if (closeRequested_) {
        if (Delivering()) {
            reopenRequested_ = true;
            return;
        }
        CloseNow();
    }
    if (connected_) {
        return;
    }
    DoBeforeOpen();
    OpenDevice();
    connected_ = true;
    try {
        ApplySettings();
    } catch (...) {
        CloseDevice();
        connected_ = false;
        throw;
    }
    if (!events_.Empty()) {
        if (syncMethod_ == TSyncMethod::smWindowSync) {
            messageReceiver_ = std::make_unique<TMessageReceiver>(*this);
        }
        eventThread_ = std::make_unique<TComThread>(*this);
        threadCreated_ = true;
    }
    CallLinks(&TComLink::OnPortOpenClose, true);
    DoAfterOpen();
    DeliverSignal(TModemLine::sigCTS, &TComLink::OnCTSSignal, &TCustomComPort::DoCTSChange);
    DeliverSignal(TModemLine::sigDSR, &TComLink::OnDSRSignal, &TCustomComPort::DoDSRChange);
    DeliverSignal(TModemLine::sigRLSD, &TComLink::OnRLSDSignal, &TCustomComPort::DoRLSDChange);
}

void TCustomComPort::Close() {
    if (Designing()) {
        return;
    }
    // Off the main thread nothing but the request is touched: the main thread owns the rest.
    if (!MainThreadCalls::IsMainThread()) {
        closeRequested_ = true;
        if (eventThreadDeliveries_ == 0) {
            PostRequestedClose();
        }
        return;
    }
    if (!connected_ || closing_) {
        return;
    }
    if (deliveryDepth_ > 0) {
        // EndDelivery posts it when the outermost delivery returns.
        closeRequested_ = true;
        return;
    }
    CloseNow();
}

bool TCustomComPort::Delivering() const {
    return !MainThreadCalls::IsMainThread() || deliveryDepth_ > 0;
}

void TCustomComPort::BeginDelivery() {
    if (MainThreadCalls::IsMainThread()) {
        ++deliveryDepth_;
    } else {
        ++eventThreadDeliveries_;
    }
}

void TCustomComPort::EndDelivery() {
    const bool last =
        MainThreadCalls::IsMainThread() ? --deliveryDepth_ == 0 : --eventThreadDeliveries_ == 0;
    if (last && closeRequested_) {
        PostRequestedClose();
    }
}

// Posted rather than run at once: with smThreadSync the delivery that asked for it is itself a
// call the event thread waits for, and it must have returned before the thread can end.
void TCustomComPort::PostRequestedClose() {
    MainThreadCalls::Instance().Post([port = std::weak_ptr<TCustomComPort*>(self_)] {
        if (const auto self = port.lock(); self && *self != nullptr) {
            (*self)->CarryOutRequestedClose();
        }
    });
}

// Nobody waits for this call, so a failure goes where a failed open after loading goes.
void TCustomComPort::CarryOutRequestedClose() {
    if (!closeRequested_ || deliveryDepth_ > 0) {
        return;
    }
    const bool reopen = reopenRequested_.exchange(false);
    try {
        CloseNow();
        if (reopen) {
            Open();
        }
    } catch (...) {
        HandleApplicationException();
    }
}

// Re-entry while closing (a handler of these very steps, or a last dispatch the wait for the
// thread runs, calling Close) finds `closing_` set and does nothing. A close that was asked for
// keeps the request until the port is closed, so that nothing more is delivered meanwhile.
void TCustomComPort::CloseNow() {
    reopenRequested_ = false;
    if (!connected_ || closing_) {
        closeRequested_ = false;
        return;
    }
    closing_ = true;
    try {
        CallLinks(&TComLink::OnCTSSignal, false);
        CallLinks(&TComLink::OnDSRSignal, false);
        CallLinks(&TComLink::OnRLSDSignal, false);
        DoCTSChange(false);
        DoDSRChange(false);
        DoRLSDChange(false);
        DoBeforeClose();
        AbortPending();
        StopEventThread();
        CloseDevice();
    } catch (...) {
        closing_ = false;
        closeRequested_ = false;
        throw;
    }
    connected_ = false;
    closing_ = false;
    closeRequested_ = false;
    CallLinks(&TComLink::OnPortOpenClose, false);
    DoAfterClose();
}

pid_t TCustomComPort::EventThreadSystemId() const {
    return eventThread_ ? eventThread_->SystemId() : 0;
}

void TCustomComPort::StopEventThread() {
    if (threadCreated_) {
        eventThread_.reset();
        threadCreated_ = false;
        messageReceiver_.reset();
    }
}

// ---- Queries and reading -----------------------------------------------------------------

std::int32_t TCustomComPort::PendingInputCount() {
    std::uint32_t errors = 0;
    std::uint32_t queued = 0;
    if (const int error = device_->ClearCommError(errors, queued); error != 0) {
        throw EComPort(ComError::ClearComm, error);
    }
    return static_cast<std::int32_t>(queued);
}

TComErrors TCustomComPort::ReadLineErrors() {
    std::uint32_t flags = 0;
    std::uint32_t queued = 0;
    if (const int error = device_->ClearCommError(flags, queued); error != 0) {
        throw EComPort(ComError::ClearComm, error);
    }
    TComErrors errors;
    const auto map = [&](std::uint32_t flag, TComError element) {
        if ((flags & flag) != 0) {
            errors.Include(element);
        }
    };
    map(LineError::Frame, TComError::errFrame);
    if (parity_.Check()) {
        map(LineError::RxParity, TComError::errRxParity);
    }
    map(LineError::Overrun, TComError::errOverrun);
    map(LineError::RxOver, TComError::errRxOverflow);
    map(LineError::TxFull, TComError::errTxFull);
    map(LineError::Break, TComError::errBreak);
    map(LineError::IOE, TComError::errIO);
    map(LineError::Mode, TComError::errMode);
    return errors;
}

TModemLines TCustomComPort::ModemSignals() {
    std::uint32_t status = 0;
    if (const int error = device_->GetCommModemStatus(status); error != 0) {
        throw EComPort(ComError::ModemStatus, error);
    }
    TModemLines lines;
    const auto map = [&](std::uint32_t bit, TModemLine line) {
        if ((status & bit) != 0) {
            lines.Include(line);
        }
    };
    map(ModemStatus::CtsOn, TModemLine::sigCTS);
    map(ModemStatus::DsrOn, TModemLine::sigDSR);
    map(ModemStatus::RingOn, TModemLine::sigRing);
    map(ModemStatus::RlsdOn, TModemLine::sigRLSD);
    return lines;
}

std::int32_t TCustomComPort::Read(void* buffer, std::int32_t count) {
    const auto request = std::make_unique<TAsyncRequest>();
    StartRead(buffer, count, request.get());
    return WaitForRequest(request.get());
}

std::int32_t TCustomComPort::StartRead(void* buffer, std::int32_t count, TAsyncRequest* request) {
    if (request == nullptr) {
        throw EComPort(ComError::InvalidAsync);
    }
    request->kind = TAsyncRequest::Kind::Read;
    std::uint32_t transferred = 0;
    const int error =
        device_->ReadFile(buffer, static_cast<std::uint32_t>(std::max(count, 0)), transferred);
    request->systemError = error;
    request->transferred = transferred;
    if (error != 0) {
        throw EComPort(ComError::ReadFailed, error);
    }
    return static_cast<std::int32_t>(transferred);
}

std::int32_t TCustomComPort::WaitForRequest(TAsyncRequest* request) {
    if (request == nullptr) {
        throw EComPort(ComError::InvalidAsync);
    }
    if (request->systemError != 0) {
        throw EComPort(request->kind == TAsyncRequest::Kind::Read ? ComError::ReadFailed
                                                                  : ComError::WriteFailed,
                       request->systemError);
    }
    if (request->kind == TAsyncRequest::Kind::Read) {
        if (PendingInputCount() == 0) {
            CallLinks(&TComLink::OnRxActivity, false);
        }
    } else if (request->data != nullptr) {
        CallLinks(&TComLink::OnTxData, static_cast<const void*>(request->data),
                  static_cast<std::int32_t>(request->dataSize));
    }
    return static_cast<std::int32_t>(request->transferred);
}

void TCustomComPort::AbortPending() {
    if (const int error = device_->PurgeComm(Purge::TxAbort | Purge::RxAbort); error != 0) {
        throw EComPort(ComError::PurgeFailed, error);
    }
}

// ---- Links -------------------------------------------------------------------------------

void TCustomComPort::AttachLink(TComLink& link) {
    if (std::find(links_.begin(), links_.end(), &link) != links_.end()) {
        throw EComPort(ComError::RegFailed);
    }
    links_.push_back(&link);
    RecomputeRxLink();
}

void TCustomComPort::DetachLink(TComLink& link) {
    const auto found = std::find(links_.begin(), links_.end(), &link);
    if (found == links_.end()) {
        throw EComPort(ComError::RegFailed);
    }
    links_.erase(found);
    RecomputeRxLink();
}

void TCustomComPort::RecomputeRxLink() {
    hasRxLink_ = std::any_of(links_.begin(), links_.end(), [](const TComLink* link) {
        return static_cast<bool>(link->OnRxData);
    });
}

// Walks the list by index: a handler may detach a link while the walk goes on.
template <class Slot, class... Arguments>
void TCustomComPort::CallLinks(Slot TComLink::*slot, Arguments&&... arguments) {
    for (std::size_t i = 0; i < links_.size(); ++i) {
        const Slot& callback = links_[i]->*slot;
        if (callback) {
            callback(*this, arguments...);
        }
    }
}

// ---- Event delivery ----------------------------------------------------------------------

// A close asked for by one event's handlers ends the report: the rest is not delivered.
void TCustomComPort::DispatchEvents(TComEvents events) {
    for (const TComEvent event : EventDeliveryOrder) {
        if (closeRequested_) {
            return;
        }
        if (events.Contains(event)) {
            DeliverEvent(event);
        }
    }
}

void TCustomComPort::DeliverEvent(TComEvent event) {
    BeginDelivery();
    try {
        DeliverOne(event);
    } catch (...) {
        EndDelivery();
        throw;
    }
    EndDelivery();
}

void TCustomComPort::DeliverOne(TComEvent event) {
    switch (event) {
    case TComEvent::evError:
        if (const TComErrors errors = ReadLineErrors(); !errors.Empty()) {
            DoError(errors);
        }
        break;
    case TComEvent::evRxChar:
        ReceiveDispatch();
        break;
    case TComEvent::evTxEmpty:
        CallLinks(&TComLink::OnTxActivity, false);
        CallLinks(&TComLink::OnTxEmptied);
        DoTxEmpty();
        break;
    case TComEvent::evBreak:
        DoBreak();
        break;
    case TComEvent::evRing:
        CallLinks(&TComLink::OnRingSignal);
        DoRing();
        break;
    case TComEvent::evCTS:
        DeliverSignal(TModemLine::sigCTS, &TComLink::OnCTSSignal, &TCustomComPort::DoCTSChange);
        break;
    case TComEvent::evDSR:
        DeliverSignal(TModemLine::sigDSR, &TComLink::OnDSRSignal, &TCustomComPort::DoDSRChange);
        break;
    case TComEvent::evRxFlag:
        CallLinks(&TComLink::OnEventCharRx);
        DoRxFlag();
        break;
    case TComEvent::evRLSD:
        DeliverSignal(TModemLine::sigRLSD, &TComLink::OnRLSDSignal, &TCustomComPort::DoRLSDChange);
        break;
    case TComEvent::evRx80Full:
        DoRx80Full();
        break;
    }
}

void TCustomComPort::DeliverSignal(TModemLine line, TComLink::SignalEvent TComLink::*slot,
                                   void (TCustomComPort::*event)(bool)) {
    const bool on = ModemSignals().Contains(line);
    CallLinks(slot, on);
    (this->*event)(on);
}

void TCustomComPort::ReceiveDispatch() {
    std::int32_t count = PendingInputCount();
    if (count > 0) {
        CallLinks(&TComLink::OnRxActivity, true);
    }
    if (count > 0 && hasRxLink_) {
        std::vector<char> buffer;
        bool read = false;
        for (std::size_t i = 0; i < links_.size(); ++i) {
            TComLink& link = *links_[i];
            if (!link.OnRxData) {
                continue;
            }
            if (!read) {
                buffer.resize(static_cast<std::size_t>(count));
                Read(buffer.data(), count);
                read = true;
                DoRxBuf(buffer.data(), count);
            }
            link.OnRxData(*this, buffer.data(), count);
        }
        if (read) {
            count = 0;
        }
    }
    if (count > 0) {
        DoRxChar(count);
    }
}

// ---- Notifications -----------------------------------------------------------------------

void TCustomComPort::DoAfterClose() {
    if (OnAfterClose) {
        OnAfterClose(*this);
    }
}
void TCustomComPort::DoAfterOpen() {
    if (OnAfterOpen) {
        OnAfterOpen(*this);
    }
}
void TCustomComPort::DoBeforeClose() {
    if (OnBeforeClose) {
        OnBeforeClose(*this);
    }
}
void TCustomComPort::DoBeforeOpen() {
    if (OnBeforeOpen) {
        OnBeforeOpen(*this);
    }
}
void TCustomComPort::DoRxChar(std::int32_t count) {
    if (OnRxChar) {
        OnRxChar(*this, count);
    }
}
void TCustomComPort::DoRxBuf(const void* buffer, std::int32_t count) {
    if (OnRxBuf) {
        OnRxBuf(*this, buffer, count);
    }
}
void TCustomComPort::DoTxEmpty() {
    if (OnTxEmpty) {
        OnTxEmpty(*this);
    }
}
void TCustomComPort::DoBreak() {
    if (OnBreak) {
        OnBreak(*this);
    }
}
void TCustomComPort::DoRing() {
    if (OnRing) {
        OnRing(*this);
    }
}
void TCustomComPort::DoRxFlag() {
    if (OnRxFlag) {
        OnRxFlag(*this);
    }
}
void TCustomComPort::DoCTSChange(bool onOff) {
    if (OnCTSChange) {
        OnCTSChange(*this, onOff);
    }
}
void TCustomComPort::DoDSRChange(bool onOff) {
    if (OnDSRChange) {
        OnDSRChange(*this, onOff);
    }
}
void TCustomComPort::DoError(TComErrors errors) {
    if (OnError) {
        OnError(*this, errors);
    }
}
void TCustomComPort::DoRLSDChange(bool onOff) {
    if (OnRLSDChange) {
        OnRLSDChange(*this, onOff);
    }
}
void TCustomComPort::DoRx80Full() {
    if (OnRx80Full) {
        OnRx80Full(*this);
    }
}
