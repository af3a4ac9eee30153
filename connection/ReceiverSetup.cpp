#include "ReceiverSetup.h"

#include "GpsdProbe.h"
#include "ReceiverConnection.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverModeSetting.h"
#include "serial/ComTexts.h"
#include "serial/EComPort.h"
#include "serial/SerialPortList.h"
#include "serial/TCustomComPort.h"

#include <exception>

ReceiverSetup::ReceiverSetup(TCustomComPort& port, ReceiverConnection& connection,
                             ReceivePath& reception, std::string settingsKey, std::string localGpsd)
    : port_(port), connection_(connection), reception_(reception),
      settingsKey_(std::move(settingsKey)), localGpsd_(std::move(localGpsd)) {}

void ReceiverSetup::Restore() {
    port_.SetPort("COM1");
    port_.SetBaudRate(TBaudRate::br9600);
    port_.SetDataBits(TDataBits::dbEight);
    port_.Parity().SetBits(TParityBits::prNone);
    port_.SetStopBits(TStopBits::sbOneStopBit);
    port_.SetEvents(AllComEvents);
    port_.FlowControl().SetFlowControl(TFlowControl::fcNone);
    port_.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable);
    try {
        port_.RestoreSettings(TStoreType::storeRegistry, settingsKey_);
    } catch (const std::exception&) {
        // Settings that cannot be restored leave the design's in force.
    }
    SetReceiver(ReceiverModeSetting(settingsKey_, port_.Name()).Read());
}

ReceiverMode ReceiverSetup::Receiver() const {
    return reception_.Mode();
}

void ReceiverSetup::SetReceiver(ReceiverMode mode) {
    if (mode == reception_.Mode()) {
        return;
    }
    reception_.SetMode(mode);
    if (OnReceiverChange) {
        OnReceiverChange(mode);
    }
}

ReceiverSetup::Rows ReceiverSetup::MakeRows() const {
    const std::string port = port_.Port();
    const std::vector<std::string> serialPorts = SystemSerialPorts().Ports();
    const NetworkSourceChoice network(port, false, serialPorts);
    Rows rows{
        {"Receiver",
         {ReceiverModeToText(ReceiverMode::GpsOnly), ReceiverModeToText(ReceiverMode::AllSystems)},
         Receiver() == ReceiverMode::AllSystems ? 1 : 0,
         false,
         {},
         {}},
        {NetworkSourceChoice::Caption, network.Items(), 0, true, network.Text(), {}}};
    rows.network.laterItems =
        GpsdProbe::AnswersLater(localGpsd_, [port, serialPorts](bool answers) {
            return NetworkSourceChoice(port, answers, serialPorts).Items();
        });
    return rows;
}

void ReceiverSetup::Apply(const Rows& rows) {
    port_.SetPort(NetworkSourceChoice::PortName(rows.network.text, port_.Port()));
    SetReceiver(rows.receiver.chosen == 1 ? ReceiverMode::AllSystems : ReceiverMode::GpsOnly);
}

void ReceiverSetup::Edit(const Dialog& dialog) {
    Rows rows = MakeRows();
    dialog(port_, rows.All());
    Apply(rows);
}

void ReceiverSetup::Store() const {
    try {
        port_.SaveSettings(TStoreType::storeRegistry, settingsKey_);
        ReceiverModeSetting(settingsKey_, port_.Name()).Write(Receiver());
    } catch (const std::exception&) {
        throw EComPort(ComError::StoreFailed);
    }
}

void ReceiverSetup::Run(const std::function<void(TCustomComPort& port)>& edit) {
    const bool wasStarted = connection_.Started();
    // Reception that waited for its receiver goes on waiting; one with the port open says what
    // fails.
    const bool wasWaiting = connection_.State() == ConnectionState::Lost ||
                            connection_.State() == ConnectionState::Retrying;
    connection_.Stop();
    edit(port_);
    Store();
    if (OnStored) {
        OnStored();
    }
    if (wasStarted && wasWaiting) {
        connection_.StartUnattended();
    } else if (wasStarted) {
        connection_.Start();
    }
}

std::string ReceiverSetup::PortSummary() const {
    return port_.Port() + " at " + BaudRateToText(port_.BaudRate()) + " baud";
}
