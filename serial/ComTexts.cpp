#include "ComTexts.h"

#include "platform/Conversions.h"

namespace {

const std::vector<std::string> BaudRates = {"Custom", "110",    "300",    "600",   "1200",  "2400",
                                            "4800",   "9600",   "14400",  "19200", "38400", "56000",
                                            "57600",  "115200", "128000", "256000"};
const std::vector<std::string> StopBits = {"1", "1.5", "2"};
const std::vector<std::string> DataBits = {"5", "6", "7", "8"};
const std::vector<std::string> Parities = {"None", "Odd", "Even", "Mark", "Space"};
const std::vector<std::string> FlowControls = {"Hardware", "Software", "None", "Custom"};
const std::vector<std::string> DTRControls = {"Disable", "Enable", "Handshake"};
const std::vector<std::string> RTSControls = {"Disable", "Enable", "Handshake", "Toggle"};

template <class E>
std::string ToText(const std::vector<std::string>& table, E value) {
    return table[static_cast<std::size_t>(value)];
}

// Letter case does not matter; blanks do: " 9600" is in no table.
template <class E>
E FromText(const std::vector<std::string>& table, const std::string& text, E fallback) {
    const std::string wanted = UpperCaseAscii(text);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (UpperCaseAscii(table[i]) == wanted) {
            return static_cast<E>(i);
        }
    }
    return fallback;
}

} // namespace

std::string BaudRateToText(TBaudRate value) {
    return ToText(BaudRates, value);
}
TBaudRate TextToBaudRate(const std::string& text) {
    return FromText(BaudRates, text, TBaudRate::br9600);
}
std::string StopBitsToText(TStopBits value) {
    return ToText(StopBits, value);
}
TStopBits TextToStopBits(const std::string& text) {
    return FromText(StopBits, text, TStopBits::sbOneStopBit);
}
std::string DataBitsToText(TDataBits value) {
    return ToText(DataBits, value);
}
TDataBits TextToDataBits(const std::string& text) {
    return FromText(DataBits, text, TDataBits::dbEight);
}
std::string ParityToText(TParityBits value) {
    return ToText(Parities, value);
}
TParityBits TextToParity(const std::string& text) {
    return FromText(Parities, text, TParityBits::prNone);
}
std::string FlowControlToText(TFlowControl value) {
    return ToText(FlowControls, value);
}
TFlowControl TextToFlowControl(const std::string& text) {
    return FromText(FlowControls, text, TFlowControl::fcCustom);
}
std::string DTRToText(TDTRFlowControl value) {
    return ToText(DTRControls, value);
}
TDTRFlowControl TextToDTR(const std::string& text) {
    return FromText(DTRControls, text, TDTRFlowControl::dtrDisable);
}
std::string RTSToText(TRTSFlowControl value) {
    return ToText(RTSControls, value);
}
TRTSFlowControl TextToRTS(const std::string& text) {
    return FromText(RTSControls, text, TRTSFlowControl::rtsDisable);
}

std::string BoolToText(bool value) {
    return value ? "Yes" : "No";
}
bool TextToBool(const std::string& text) {
    return UpperCaseAscii(text) == "YES";
}

std::string CharToText(char value) {
    const auto code = static_cast<unsigned char>(value);
    if (code >= 33 && code <= 127) {
        return std::string(1, value);
    }
    return "#" + std::to_string(code);
}

char TextToChar(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    if (text[0] == '#' && text.size() > 1) {
        std::int32_t code = 0;
        if (!TryStrToInt(std::string_view(text).substr(1), code)) {
            return 0;
        }
        return static_cast<char>(
            static_cast<unsigned char>(static_cast<std::uint32_t>(code) & 0xFF));
    }
    return text[0];
}

const std::vector<std::string>& BaudRateTexts() {
    return BaudRates;
}
const std::vector<std::string>& StopBitsTexts() {
    return StopBits;
}
const std::vector<std::string>& DataBitsTexts() {
    return DataBits;
}
const std::vector<std::string>& ParityTexts() {
    return Parities;
}
const std::vector<std::string>& FlowControlTexts() {
    return FlowControls;
}
