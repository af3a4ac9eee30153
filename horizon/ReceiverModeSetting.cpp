#include "ReceiverModeSetting.h"

#include "platform/TRegistry.h"

ReceiverModeSetting::ReceiverModeSetting(std::string settingsPath, std::string componentName,
                                         std::string file)
    : setting_(std::move(settingsPath), std::move(componentName), ValueName, std::move(file)) {}

std::string ReceiverModeSetting::DefaultFile() {
    return TRegistry::DefaultFile();
}

ReceiverMode ReceiverModeSetting::Read() const {
    const auto text = setting_.Read();
    return text ? TextToReceiverMode(*text) : DefaultReceiverMode;
}

void ReceiverModeSetting::Write(ReceiverMode mode) const {
    setting_.Write(ReceiverModeToText(mode));
}
