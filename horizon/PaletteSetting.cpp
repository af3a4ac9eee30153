#include "PaletteSetting.h"

#include "platform/TRegistry.h"

PaletteSetting::PaletteSetting(std::string settingsPath, std::string file)
    : setting_(std::move(settingsPath), KeyName, ValueName, std::move(file)) {}

std::string PaletteSetting::DefaultFile() {
    return TRegistry::DefaultFile();
}

Palette PaletteSetting::Read() const {
    const auto text = setting_.Read();
    return text ? TextToPalette(*text) : DefaultPalette;
}

void PaletteSetting::Write(Palette palette) const {
    setting_.Write(PaletteToText(palette));
}
