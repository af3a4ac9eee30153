#include "TComSelect.h"

#include "platform/Conversions.h"
#include "platform/TStringList.h"
#include "serial/ComTexts.h"
#include "serial/TCustomComPort.h"

#include <algorithm>

namespace {

void Fill(TStringList& items, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        items.Add(text);
    }
}

} // namespace

int TComSelect::IndexOfText(const TStringList& items, const std::string& text) {
    const std::string wanted = UpperCaseAscii(text);
    const std::vector<std::string>& lines = items.Lines();
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return UpperCaseAscii(line) == wanted;
    });
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

void TComSelect::SelectProperty(TComProperty value) {
    ComProperty = value;
    if (Items == nullptr) {
        return;
    }
    Items->Clear();
    switch (value) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        EnumSerialPorts(*Items, *PortSource);
        break;
    case TComProperty::cpBaudRate:
        Fill(*Items, BaudRateTexts());
        break;
    case TComProperty::cpDataBits:
        Fill(*Items, DataBitsTexts());
        break;
    case TComProperty::cpStopBits:
        Fill(*Items, StopBitsTexts());
        break;
    case TComProperty::cpParity:
        Fill(*Items, ParityTexts());
        break;
    case TComProperty::cpFlowControl:
        Fill(*Items, FlowControlTexts());
        break;
    }
}

void TComSelect::TakeText(const std::string& text) {
    Remember(text);
    if (AutoApply) {
        ApplyToPort();
    }
}

void TComSelect::Remember(const std::string& text) {
    switch (ComProperty) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        Port = text;
        break;
    case TComProperty::cpBaudRate:
        BaudRate = TextToBaudRate(text);
        break;
    case TComProperty::cpDataBits:
        DataBits = TextToDataBits(text);
        break;
    case TComProperty::cpStopBits:
        StopBits = TextToStopBits(text);
        break;
    case TComProperty::cpParity:
        Parity = TextToParity(text);
        break;
    case TComProperty::cpFlowControl:
        FlowControl = TextToFlowControl(text);
        break;
    }
}

void TComSelect::ApplyToPort() {
    if (ComPort == nullptr) {
        return;
    }
    switch (ComProperty) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        // No port picked (the port's own name is not listed): the port keeps its name.
        if (!Port.empty()) {
            ComPort->SetPort(Port);
        }
        break;
    case TComProperty::cpBaudRate:
        ComPort->SetBaudRate(BaudRate);
        break;
    case TComProperty::cpDataBits:
        ComPort->SetDataBits(DataBits);
        break;
    case TComProperty::cpStopBits:
        ComPort->SetStopBits(StopBits);
        break;
    case TComProperty::cpParity:
        ComPort->Parity().SetBits(Parity);
        break;
    case TComProperty::cpFlowControl:
        // Custom leaves the port's own flow-control fields as they are.
        ComPort->FlowControl().SetFlowControl(FlowControl);
        break;
    }
}

std::string TComSelect::PortValueText() const {
    switch (ComProperty) {
    case TComProperty::cpNone:
        break;
    case TComProperty::cpPort:
        return ComPort->Port();
    case TComProperty::cpBaudRate:
        return BaudRateToText(ComPort->BaudRate());
    case TComProperty::cpDataBits:
        return DataBitsToText(ComPort->DataBits());
    case TComProperty::cpStopBits:
        return StopBitsToText(ComPort->StopBits());
    case TComProperty::cpParity:
        return ParityToText(ComPort->Parity().Bits());
    case TComProperty::cpFlowControl:
        return FlowControlToText(ComPort->FlowControl().FlowControl());
    }
    return {};
}

std::optional<int> TComSelect::ReadFromPort() {
    if (ComPort == nullptr || ComProperty == TComProperty::cpNone) {
        return std::nullopt;
    }
    if (Items == nullptr) {
        return -1;
    }
    const int index = IndexOfText(*Items, PortValueText());
    if (index >= 0) {
        // Reading never writes back, AutoApply or not.
        Remember(Items->Get(static_cast<std::size_t>(index)));
    }
    return index;
}
