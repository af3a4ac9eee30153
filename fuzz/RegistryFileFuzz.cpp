#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "StoredPort.h"
#include "platform/TRegistry.h"
#include "tests/EnvironmentVariable.h"
#include "tests/TemporaryFolder.h"

#include <filesystem>
#include <string>

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

void ReadValues(TRegistry& registry) {
    for (const char* name : {"", "Port", "BaudRate", "Buffer.InputSize"}) {
        try {
            static_cast<void>(registry.ValueExists(name));
            static_cast<void>(registry.ReadString(name));
        } catch (const ERegistryException&) {
            // A value of another type, or a damaged file.
        }
        try {
            static_cast<void>(registry.ReadInteger(name));
        } catch (const ERegistryException&) {
        }
    }
}

void ReadKeys(const std::string& file) {
    TRegistry registry(file);
    for (const auto root :
         {TRegistry::RootKey::HKEY_CURRENT_USER, TRegistry::RootKey::HKEY_LOCAL_MACHINE}) {
        registry.SetRootKey(root);
        for (const char* key :
             {"Software\\Brennick\\Skyfence\\ComPort", "\\Software\\", "a\\\\b"}) {
            try {
                if (registry.OpenKey(key, false)) {
                    ReadValues(registry);
                }
            } catch (const ERegistryException&) {
                return; // a damaged file: every operation on it raises
            }
        }
    }
}

} // namespace

void FuzzRegistryFile(std::span<const std::uint8_t> data) {
    const TemporaryFolder folder;
    // The program finds the user's registry file through this variable.
    const std::string& path = folder.Path();
    const EnvironmentVariable configuration("XDG_CONFIG_HOME", path.substr(0, path.size() - 1));
    std::filesystem::create_directory(folder.File("skyfence"));
    const std::string file = folder.File("skyfence/registry.reg");
    WriteFileBytes(file, std::string(reinterpret_cast<const char*>(data.data()), data.size()));
    FuzzCheck(file == TRegistry::DefaultFile(), "the registry file is the one under test");

    ReadKeys(file);
    CheckStoredSettingsRoundTrip(TStoreType::storeRegistry, SettingsKey, folder);
}
