#pragma once

#include "Palette.h"
#include "TextSetting.h"

#include <string>

// The palette the plots are drawn in, kept between runs: the text value "Palette" in the key
// "Display" below the window's settings key ("HKEY_CURRENT_USER\...\Skyfence\Display").
class PaletteSetting {
public:
    static constexpr const char* ValueName = "Palette";
    static constexpr const char* KeyName = "Display";

    // `settingsPath` as the window's settings store takes it; `file` is the registry file (the
    // user's own unless a test gives another).
    explicit PaletteSetting(std::string settingsPath, std::string file = DefaultFile());

    // The stored palette; the default when there is none, it cannot be read or is damaged.
    Palette Read() const;
    // Raises when the setting cannot be stored.
    void Write(Palette palette) const;

private:
    static std::string DefaultFile();

    TextSetting setting_;
};
