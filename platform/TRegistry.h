#pragma once

#include "Exception.h"

#include <cstdint>
#include <string>
#include <vector>

// A registry failure: a damaged store, a missing or mistyped value, a store that cannot be written.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// The registry, kept as one text file in the REGEDIT4 format that registry editors import and
// export: "[HKEY_CURRENT_USER\Software\...]" key lines, "Name"="text" string values and
// "Name"=dword:0000002a 32-bit number values. Every change reaches the file at once, atomically;
// keys, values, comments and lines this class does not understand are kept as they were. A file
// with a line that is none of these is damaged: every operation on it raises, so that it is
// never rewritten away.
//
// Nothing is cached: every call reads the file afresh, so a change made by another program
// between two calls is seen, and a write never brings back what it removed. Key and value names
// match regardless of ASCII letter case. "[-...]" key removal lines and "Name"=- value removal
// lines are kept; the latter reads as an absent value. When a value is given more than once, the
// last line wins, as on import.
class TRegistry {
public:
    enum class RootKey { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

    // The user's registry file: ${XDG_CONFIG_HOME:-$HOME/.config}/skyfence/registry.reg.
    static std::string DefaultFile();

    // Nothing is read until a key is opened. The root key starts as HKEY_CURRENT_USER.
    explicit TRegistry(std::string file = DefaultFile());

    RootKey Root() const { return root_; }
    // Closes the open key: it belonged to the other root.
    void SetRootKey(RootKey root) {
        CloseKey();
        root_ = root;
    }

    // Opens `key` below the root ("Software\Brennick\Skyfence\ComPort"); with `canCreate` a
    // missing key is made (and written, with the file and its folder when missing). Tells whether
    // the key is open. A leading and a trailing "\" do not count; an empty name or one with an
    // empty part ("a\\b") opens nothing. A key with subkeys in the file exists even without its
    // own key line, as it would after an import. The key open before is closed in any case.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();
    // The open key's full name, "HKEY_CURRENT_USER\Software\..."; empty when none is open.
    const std::string& CurrentPath() const { return currentPath_; }

    // The value operations raise when no key is open. The name "" is the key's default value
    // (written @=...). Names and texts cannot hold line breaks: writing one raises.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    // Empty text when the value is absent; raises when it is there but not a text value.
    std::string ReadString(const std::string& name);
    // Raises when the value is absent or is not a number value.
    std::int32_t ReadInteger(const std::string& name);
    bool ValueExists(const std::string& name);

    const std::string& FileName() const { return file_; }

private:
    // The value line for `name` with `data` ("\"text\"", "dword:0000002a") goes into the open key.
    void WriteValue(const std::string& name, const std::string& data);
    void RequireOpenKey() const;

    std::string file_;
    RootKey root_ = RootKey::HKEY_CURRENT_USER;
    std::string currentPath_;
};
