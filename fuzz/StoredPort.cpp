#include "StoredPort.h"

#include "FuzzCheck.h"
#include "serial/EComPort.h"
#include "tests/support/FakeSerialDevice.h"

namespace {

// The stored settings as the ini store writes them into a file of their own: two ports with
// the same settings give the same text.
std::string StoredSettingsText(TCustomComPort& port, const TemporaryFolder& folder) {
    const std::string file = folder.File("stored-settings.ini");
    WriteFileBytes(file, "");
    port.SaveSettings(TStoreType::storeIniFile, file);
    return ReadFileBytes(file);
}

} // namespace

std::unique_ptr<TCustomComPort> NewStoringPort() {
    auto port = std::make_unique<TCustomComPort>(nullptr, std::make_unique<FakeSerialDevice>());
    port->SetName("ComPort");
    port->SetStoredGroups({TStoredGroup::sgBasic, TStoredGroup::sgFlowDetails,
                           TStoredGroup::sgBuffer, TStoredGroup::sgTimeouts,
                           TStoredGroup::sgParityDetails, TStoredGroup::sgCharHandling});
    return port;
}

void CheckStoredSettingsRoundTrip(TStoreType store, const std::string& path,
                                  const TemporaryFolder& folder) {
    const auto port = NewStoringPort();
    try {
        port->RestoreSettings(store, path);
    } catch (const EComPort&) {
        // A damaged store or a missing value: the settings read until then stay.
    }
    try {
        port->SaveSettings(store, path);
    } catch (const EComPort&) {
        return; // a damaged registry file is never rewritten, a text with a line break not written
    }
    const auto again = NewStoringPort();
    again->RestoreSettings(store, path);
    FuzzCheck(StoredSettingsText(*again, folder) == StoredSettingsText(*port, folder),
              "saved port settings restore as they were");
}
