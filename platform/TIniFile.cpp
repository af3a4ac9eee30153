#include "TIniFile.h"

#include "AtomicFileWriter.h"
#include "Conversions.h"
#include "FileContent.h"
#include "FileDescriptor.h"
#include "SystemError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Settings files are a few kilobytes; the bound keeps a stray file from filling memory with
// millions of line records.
constexpr std::size_t MaxIniSize = 1024 * 1024;

struct Line {
    std::string text;
    // "", "\n" or "\r\n": each line keeps its own, so that untouched lines stay byte for byte.
    std::string_view ending;
};

struct IniText {
    std::vector<Line> lines;
    std::string_view newline = "\r\n";
};

// Where a section and an entry are, as far as they exist.
struct Place {
    std::optional<std::size_t> section;
    // The last entry line of the section, or its section line while it has none.
    std::size_t lastLine = 0;
    std::optional<std::size_t> entry;
    std::string key;
    std::string value;
};

bool IsQuoted(std::string_view text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

IniText Load(const std::string& file) {
    std::string content;
    const int error = ReadFileContent(file, MaxIniSize, content);
    if (error == ENOENT) {
        return {};
    }
    if (error != 0) {
        throw EFileError(FileErrorText("read file", file, error));
    }
    IniText ini;
    std::string_view rest = content;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            ini.lines.push_back({std::string(rest), ""});
            break;
        }
        std::string_view text = rest.substr(0, end);
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) {
            text.remove_suffix(1);
        }
        ini.lines.push_back({std::string(text), crlf ? "\r\n" : "\n"});
        rest.remove_prefix(end + 1);
    }
    for (const Line& line : ini.lines) {
        if (!line.ending.empty()) {
            ini.newline = line.ending;
            break;
        }
    }
    return ini;
}

Place Find(const IniText& ini, std::string_view section, std::string_view key) {
    Place place;
    for (std::size_t index = 0; index < ini.lines.size(); ++index) {
        const std::string_view text = TrimBlanks(ini.lines[index].text);
        if (text.starts_with('[')) {
            const std::size_t close = text.find(']');
            if (close != std::string_view::npos) {
                if (place.section) {
                    break;
                }
                if (SameNameIgnoringCase(TrimBlanks(text.substr(1, close - 1)), section)) {
                    place.section = index;
                    place.lastLine = index;
                }
                continue;
            }
        }
        const std::size_t equals = text.find('=');
        if (!place.section || text.starts_with(';') || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view name = TrimBlanks(text.substr(0, equals));
        if (name.empty()) {
            continue;
        }
        place.lastLine = index;
        if (!place.entry && SameNameIgnoringCase(name, key)) {
            std::string_view value = TrimBlanks(text.substr(equals + 1));
            if (IsQuoted(value)) {
                value = value.substr(1, value.size() - 2);
            }
            place.entry = index;
            place.key = std::string(name);
            place.value = std::string(value);
        }
    }
    return place;
}

void InsertLine(IniText& ini, std::size_t at, std::string text) {
    if (at > 0 && ini.lines[at - 1].ending.empty()) {
        ini.lines[at - 1].ending = ini.newline;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(at),
                     Line{std::move(text), ini.newline});
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

TIniFile::TIniFile(std::string file) : file_(std::move(file)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) {
    const Place place = Find(Load(file_), TrimBlanks(section), TrimBlanks(key));
    return place.entry ? place.value : fallback;
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t fallback) {
    const Place place = Find(Load(file_), TrimBlanks(section), TrimBlanks(key));
    return place.entry ? StrToIntDef(place.value, fallback) : fallback;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::string_view sectionName = TrimBlanks(section);
    const std::string_view keyName = TrimBlanks(key);
    const bool readsBack = !sectionName.empty() && sectionName.find(']') == std::string::npos &&
                           !keyName.empty() && keyName.find('=') == std::string::npos &&
                           !keyName.starts_with(';') && !keyName.starts_with('[') &&
                           !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value);
    if (!readsBack) {
        throw EFileError("Cannot write [" + section + "] " + key + " to \"" + file_ +
                         "\": the section, key or value would not read back");
    }
    const bool quote =
        IsQuoted(value) || (!value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                               value.back() == ' ' || value.back() == '\t'));
    const std::string data = quote ? "\"" + value + "\"" : value;

    IniText ini = Load(file_);
    const Place place = Find(ini, sectionName, keyName);
    if (place.entry) {
        // The key keeps the file's spelling.
        ini.lines[*place.entry].text = place.key + "=" + data;
    } else if (place.section) {
        InsertLine(ini, place.lastLine + 1, std::string(keyName) + "=" + data);
    } else {
        if (!ini.lines.empty() && !TrimBlanks(ini.lines.back().text).empty()) {
            InsertLine(ini, ini.lines.size(), "");
        }
        InsertLine(ini, ini.lines.size(), "[" + std::string(sectionName) + "]");
        InsertLine(ini, ini.lines.size(), std::string(keyName) + "=" + data);
    }
    std::string content;
    for (const Line& line : ini.lines) {
        content += line.text;
        content += line.ending;
    }
    AtomicFileWriter::WriteFile(file_, content);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, IntToStr(value));
}
