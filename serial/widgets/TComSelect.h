#pragma once

#include "serial/ComTypes.h"
#include "serial/SerialPortList.h"

#include <optional>
#include <string>

class TCustomComPort;
class TStringList;

// The port setting a combo box shows.
enum class TComProperty {
    cpNone,
    cpPort,
    cpBaudRate,
    cpDataBits,
    cpStopBits,
    cpParity,
    cpFlowControl
};

// What a port-setting combo box knows without being a window: which setting it shows, the
// items for it, the value last picked, and the port that value goes to. Only the remembered
// field of ComProperty is ever used.
class TComSelect {
public:
    explicit TComSelect(TStringList* items = nullptr) : Items(items) {}

    // Makes `value` the shown setting and refills Items with its possible texts; the port list
    // is read from PortSource now, and its errors propagate.
    void SelectProperty(TComProperty value);
    // Remembers a picked item text, and writes it to the port at once when AutoApply.
    void TakeText(const std::string& text);
    void ApplyToPort();
    // The index in Items of the port's current value, or -1 when it is not listed; no value
    // when there is nothing to look up (no port, cpNone). A found item becomes the remembered
    // value.
    std::optional<int> ReadFromPort();

    std::string Port;
    TBaudRate BaudRate = TBaudRate::brCustom;
    TDataBits DataBits = TDataBits::dbFive;
    TStopBits StopBits = TStopBits::sbOneStopBit;
    TParityBits Parity = TParityBits::prNone;
    TFlowControl FlowControl = TFlowControl::fcHardware;
    TStringList* Items = nullptr;
    TComProperty ComProperty = TComProperty::cpNone;
    TCustomComPort* ComPort = nullptr;
    bool AutoApply = false;
    // Must outlive this object.
    const SerialPortSource* PortSource = &SystemSerialPorts();

    // The first item equal to `text` ignoring letter case, or -1.
    static int IndexOfText(const TStringList& items, const std::string& text);

private:
    void Remember(const std::string& text);
    std::string PortValueText() const;
};
