#pragma once

#include "ReceiverMode.h"
#include "TextSetting.h"

#include <string>

// The receiver setting, kept with the port's settings: the text value "Receiver" in the key of
// the port component ("HKEY_CURRENT_USER\...\Skyfence\ComPort"), beside the port's own values.
class ReceiverModeSetting {
public:
    static constexpr const char* ValueName = "Receiver";

    // `settingsPath` and `componentName` as the port's settings store takes them; `file` is the
    // registry file (the user's own unless a test gives another).
    ReceiverModeSetting(std::string settingsPath, std::string componentName,
                        std::string file = DefaultFile());

    // The stored mode; the default when there is none or it cannot be read, as with the port's
    // own settings at start-up.
    ReceiverMode Read() const;
    // Raises when the setting cannot be stored.
    void Write(ReceiverMode mode) const;

private:
    static std::string DefaultFile();

    TextSetting setting_;
};
