#include "TextSetting.h"

#include "platform/TRegistry.h"
#include "serial/TCustomComPort.h"

#include <exception>

TextSetting::TextSetting(std::string settingsPath, std::string keyName, std::string valueName,
                         std::string file)
    : settingsPath_(std::move(settingsPath)), keyName_(std::move(keyName)),
      valueName_(std::move(valueName)), file_(std::move(file)) {}

std::optional<std::string> TextSetting::Read() const {
    try {
        TRegistry registry(file_);
        OpenSettingsKey(registry, settingsPath_, keyName_);
        if (!registry.CurrentPath().empty() && registry.ValueExists(valueName_)) {
            return registry.ReadString(valueName_);
        }
    } catch (const std::exception&) {
        // A store that cannot be read is a setting not made.
    }
    return std::nullopt;
}

void TextSetting::Write(const std::string& text) const {
    TRegistry registry(file_);
    OpenSettingsKey(registry, settingsPath_, keyName_);
    registry.WriteString(valueName_, text);
}
