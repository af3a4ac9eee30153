#include "SerialTestSupport.h"

#include "platform/MainThreadCalls.h"

#include <chrono>
#include <fstream>

PortOnFake::PortOnFake() : script(std::make_shared<FakeSerialDevice::Script>()) {
    port = std::make_unique<TCustomComPort>(nullptr, std::make_unique<FakeSerialDevice>(script));
}

void PortOnFake::LogHandlers() {
    const auto note = [this](const std::string& what) {
        log.push_back(std::to_string(script->Calls().size()) + " " + what);
    };
    port->OnBeforeOpen = [note](TCustomComPort&) { note("BeforeOpen"); };
    port->OnAfterOpen = [note](TCustomComPort&) { note("AfterOpen"); };
    port->OnBeforeClose = [note](TCustomComPort&) { note("BeforeClose"); };
    port->OnAfterClose = [note](TCustomComPort&) { note("AfterClose"); };
    port->OnRxChar = [note](TCustomComPort&, std::int32_t count) {
        note("RxChar " + std::to_string(count));
    };
    port->OnRxBuf = [note](TCustomComPort&, const void* buffer, std::int32_t count) {
        note("RxBuf " +
             std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(count)));
    };
    port->OnTxEmpty = [note](TCustomComPort&) { note("TxEmpty"); };
    port->OnBreak = [note](TCustomComPort&) { note("Break"); };
    port->OnRing = [note](TCustomComPort&) { note("Ring"); };
    port->OnCTSChange = [note](TCustomComPort&, bool on) { note(on ? "CTS on" : "CTS off"); };
    port->OnDSRChange = [note](TCustomComPort&, bool on) { note(on ? "DSR on" : "DSR off"); };
    port->OnRLSDChange = [note](TCustomComPort&, bool on) { note(on ? "RLSD on" : "RLSD off"); };
    port->OnError = [note](TCustomComPort&, TComErrors errors) {
        note("Error " + std::to_string(errors.Bits()));
    };
    port->OnRxFlag = [note](TCustomComPort&) { note("RxFlag"); };
    port->OnRx80Full = [note](TCustomComPort&) { note("Rx80Full"); };
}

TComLink& PortOnFake::AddLoggingLink(const std::string& name) {
    auto link = std::make_unique<TComLink>();
    const auto note = [this, name](const std::string& what) {
        log.push_back(std::to_string(script->Calls().size()) + " " + name + "." + what);
    };
    const auto signal = [note](const std::string& slot) {
        return [note, slot](TCustomComPort&, bool on) { note(slot + (on ? " on" : " off")); };
    };
    const auto notify = [note](const std::string& slot) {
        return [note, slot](TCustomComPort&) { note(slot); };
    };
    link->OnPortOpenClose = signal("PortOpenClose");
    link->OnRxData = [note](TCustomComPort&, const void* buffer, std::int32_t count) {
        note("RxData " +
             std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(count)));
    };
    link->OnTxEmptied = notify("TxEmptied");
    link->OnEventCharRx = notify("EventCharRx");
    link->OnCTSSignal = signal("CTS");
    link->OnDSRSignal = signal("DSR");
    link->OnRLSDSignal = signal("RLSD");
    link->OnRingSignal = notify("Ring");
    link->OnTxActivity = signal("TxActivity");
    link->OnRxActivity = signal("RxActivity");
    links.push_back(std::move(link));
    return *links.back();
}

std::vector<std::string> PortOnFake::Log() const {
    return log;
}

void PortOnFake::ClearLog() {
    log.clear();
    script->ClearCalls();
}

std::string LogWithoutComments(const std::string& name) {
    std::ifstream in(std::string(SKYFENCE_NMEA_DIR) + "/" + name, std::ios::binary);
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("#")) {
            text += line + "\n";
        }
    }
    return text;
}

std::vector<std::string> Cut(const std::string& text, const std::string& start,
                             bool includeStrings) {
    std::vector<std::string> packets;
    for (std::size_t at = text.find(start); at != std::string::npos;
         at = text.find(start, at + 1)) {
        const std::size_t star = text.find('*', at + start.size());
        if (star == std::string::npos) {
            break;
        }
        packets.push_back(includeStrings
                              ? text.substr(at, star + 1 - at)
                              : text.substr(at + start.size(), star - at - start.size()));
    }
    return packets;
}
