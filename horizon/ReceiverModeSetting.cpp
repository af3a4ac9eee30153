#include "ReceiverModeSetting.h"

#include "platform/TRegistry.h"
#include "serial/TCustomComPort.h"

#include <exception>

ReceiverModeSetting::ReceiverModeSetting(std::string settingsPath, std::string componentName,
                                         std::string file)
    : settingsPath_(std::move(settingsPath)), componentName_(std::move(componentName)),
      file_(std::move(file)) {}

std::string ReceiverModeSetting::DefaultFile() {
    return TRegistry::DefaultFile();
}

ReceiverMode ReceiverModeSetting::Read() const {
    try {
        TRegistry registry(file_);
        OpenSettingsKey(registry, settingsPath_, componentName_);
        if (!registry.CurrentPath().empty() && registry.ValueExists(ValueName)) {
            return TextToReceiverMode(registry.ReadString(ValueName));
        }
    } catch (const std::exception&) {
        // A setting that cannot be read leaves the receiver as it always was.
    }
    return DefaultReceiverMode;
}

void ReceiverModeSetting::Write(ReceiverMode mode) const {
    TRegistry registry(file_);
    OpenSettingsKey(registry, settingsPath_, componentName_);
    registry.WriteString(ValueName, ReceiverModeToText(mode));
}
