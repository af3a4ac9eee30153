#pragma once

#include <optional>
#include <string>

// One text value kept between runs in a key of the settings store: `keyName` below the key of
// `settingsPath` ("HKEY_CURRENT_USER\...\Skyfence" + "\" + keyName), as a component's settings.
class TextSetting {
public:
    // `file` is the registry file: the user's own unless a test gives another.
    TextSetting(std::string settingsPath, std::string keyName, std::string valueName,
                std::string file);

    // Empty when there is no such value or the store cannot be read: the caller's default then
    // applies, as for a setting never made.
    std::optional<std::string> Read() const;
    // Raises when the value cannot be stored.
    void Write(const std::string& text) const;

private:
    std::string settingsPath_;
    std::string keyName_;
    std::string valueName_;
    std::string file_;
};
