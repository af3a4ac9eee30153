#include "WebSettings.h"

#include "platform/TRegistry.h"

#include <exception>
#include <string_view>

namespace {

constexpr std::string_view UserRoot = "HKEY_CURRENT_USER\\";

} // namespace

WebSettings WebSettings::Read(const std::string& settingsPath, const std::string& file) {
    WebSettings settings;
    std::string key = settingsPath;
    if (key.starts_with(UserRoot)) {
        key.erase(0, UserRoot.size());
    }
    try {
        TRegistry registry(file);
        // Only read: looking for the page's settings never writes a key.
        if (!registry.OpenKey(key + "\\" + KeyName, false)) {
            return settings;
        }
        const auto text = [&registry](const char* name) -> std::optional<std::string> {
            if (!registry.ValueExists(name)) {
                return std::nullopt;
            }
            std::string value = registry.ReadString(name);
            return value.empty() ? std::nullopt : std::optional(std::move(value));
        };
        settings.Http = text("Http");
        settings.HttpToken = text("HttpToken");
        settings.HttpPosition =
            registry.ValueExists("HttpPosition") && registry.ReadInteger("HttpPosition") != 0;
    } catch (const std::exception&) {
        // As for every other setting: what cannot be read was not made.
    }
    return settings;
}

WebSettings WebSettings::Under(const WebSettings& commandLine) const {
    return {commandLine.Http ? commandLine.Http : Http,
            commandLine.HttpToken ? commandLine.HttpToken : HttpToken,
            commandLine.HttpPosition || HttpPosition};
}
