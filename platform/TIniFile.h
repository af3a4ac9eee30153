#pragma once

#include "Exception.h"

#include <cstdint>
#include <string>

// An ini file: "[Section]" lines and "Key=Value" entries. Reads give the default when the entry
// is absent (ReadInteger also when it is not a number); every write reaches the file at once,
// atomically, keeping every other line as it was. Section and key names match regardless of
// letter case. A file that cannot be read or written raises EFileError.
//
// Blanks around names and values are not part of them, and a value in double quotes reads
// without them; so a value with blanks at an end, or itself in quotes, is written quoted to read
// back the same. Lines that are no section or entry (comments, junk) are kept and ignored. The
// file is read at every call; a missing file reads as empty, and a write creates it (not its
// folder). Only the first section of a name counts, as does the first entry of a key in it.
class TIniFile {
public:
    explicit TIniFile(std::string file);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback);
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t fallback);
    // Raises EFileError, writing nothing, for a line break anywhere, a key that is empty, holds
    // "=" or starts with ";" or "[", or a section that is empty or holds "]": they would not
    // read back.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);

    const std::string& FileName() const { return file_; }

private:
    std::string file_;
};
