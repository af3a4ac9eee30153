#include "TRegistry.h"

#include "AtomicFileWriter.h"
#include "FileContent.h"
#include "FileDescriptor.h"
#include "HomeFolder.h"
#include "SystemError.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

// A settings store is a few kilobytes; the bound keeps a stray file from filling memory with
// millions of line records.
constexpr std::size_t MaxStoreSize = 1024 * 1024;

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

struct Line {
    std::string text;
    // "", "\n" or "\r\n": each line keeps its own, so that untouched lines stay byte for byte.
    std::string_view ending;
};

enum class Kind { Text, Number, Removed, Other };

struct Value {
    std::string name;
    Kind kind = Kind::Other;
    std::string text;
    std::uint32_t number = 0;
    std::size_t firstLine = 0;
    // Past the first line when hex data goes on over continuation lines.
    std::size_t lastLine = 0;
};

struct Key {
    std::string path;
    bool removal = false;
    // The last value line, or the key line while the key has none.
    std::size_t lastLine = 0;
    std::vector<Value> values;
};

struct RegistryFile {
    bool exists = false;
    std::vector<Line> lines;
    std::vector<Key> keys;
    std::string_view newline = "\r\n";
};

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool AllHexDigits(std::string_view text) {
    for (const char c : text) {
        if (!IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void Damaged(const std::string& file, std::size_t index, const std::string& problem) {
    throw ERegistryException("Registry file " + file + ", line " + std::to_string(index + 1) +
                             ": " + problem);
}

[[noreturn]] void Fail(const std::string& file, const std::string& problem) {
    throw ERegistryException("Registry file " + file + ": " + problem);
}

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back({std::string(content), ""});
            break;
        }
        std::string_view text = content.substr(0, end);
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) {
            text.remove_suffix(1);
        }
        lines.push_back({std::string(text), crlf ? "\r\n" : "\n"});
        content.remove_prefix(end + 1);
    }
    return lines;
}

// Reads the quoted text at text[pos] == '"' with its \\ and \" escapes; pos ends past the
// closing quote. False when the quote is never closed.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
    for (++pos; pos < text.size();) {
        const char c = text[pos++];
        if (c == '"') {
            return true;
        }
        // A lone backslash before any other character is taken as itself, as hand-made files
        // have them ("C:\Temp").
        if (c == '\\' && pos < text.size() && (text[pos] == '\\' || text[pos] == '"')) {
            out += text[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

void ParseKeyLine(const std::string& file, std::size_t index, std::string_view text,
                  RegistryFile& reg) {
    if (text.size() < 2 || text.back() != ']') {
        Damaged(file, index, "a key line must end with ']'");
    }
    std::string_view path = text.substr(1, text.size() - 2);
    Key key;
    key.removal = !path.empty() && path.front() == '-';
    if (key.removal) {
        path.remove_prefix(1);
    }
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    const std::string_view root = path.substr(0, path.find('\\'));
    if (root.size() <= 5 || !StartsWithName(root, "HKEY_")) {
        Damaged(file, index, "the key does not start with a root key such as HKEY_CURRENT_USER");
    }
    key.path = std::string(path);
    key.lastLine = index;
    reg.keys.push_back(std::move(key));
}

// Checks "hex:" data, byte list by byte list over its continuation lines; `index` ends on the
// value's last line.
void SkipHexData(const std::string& file, std::size_t& index, std::string_view data,
                 const RegistryFile& reg) {
    for (;;) {
        const bool continues = !data.empty() && data.back() == '\\';
        if (continues) {
            data.remove_suffix(1);
        }
        for (const char c : data) {
            if (!IsHexDigit(c) && c != ',' && c != ' ' && c != '\t') {
                Damaged(file, index, "hex data holds a character that is no hex digit or comma");
            }
        }
        if (!continues || index + 1 >= reg.lines.size()) {
            return;
        }
        ++index;
        data = TrimBlanks(reg.lines[index].text);
    }
}

void ParseData(const std::string& file, std::size_t& index, std::string_view data, Value& value,
               const RegistryFile& reg) {
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        if (!ReadQuoted(data, pos, value.text)) {
            Damaged(file, index, "the string has no closing quote");
        }
        if (!TrimBlanks(data.substr(pos)).empty()) {
            Damaged(file, index, "text follows the string's closing quote");
        }
        value.kind = Kind::Text;
    } else if (data == "-") {
        value.kind = Kind::Removed;
    } else if (StartsWithName(data, "dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8 || !AllHexDigits(digits)) {
            Damaged(file, index, "a dword needs 1 to 8 hex digits");
        }
        std::uint32_t number = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
        value.kind = Kind::Number;
        value.number = number;
    } else if (StartsWithName(data, "hex")) {
        // "hex:" or "hex(n):", n being the value's type.
        std::size_t pos = 3;
        if (pos < data.size() && data[pos] == '(') {
            const std::size_t close = data.find(')', pos);
            const std::string_view type =
                data.substr(pos + 1, close == std::string_view::npos ? 0 : close - pos - 1);
            if (type.empty() || type.size() > 8 || !AllHexDigits(type)) {
                Damaged(file, index, "the type in hex(n) must be 1 to 8 hex digits");
            }
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':') {
            Damaged(file, index, "unknown kind of value data");
        }
        SkipHexData(file, index, data.substr(pos + 1), reg);
        value.kind = Kind::Other;
    } else {
        Damaged(file, index, "unknown kind of value data");
    }
}

void ParseValueLine(const std::string& file, std::size_t& index, std::string_view text,
                    RegistryFile& reg) {
    if (reg.keys.empty()) {
        Damaged(file, index, "a value line comes before any key line");
    }
    Value value;
    value.firstLine = index;
    std::size_t pos = 1;
    if (text.front() == '"') {
        pos = 0;
        if (!ReadQuoted(text, pos, value.name)) {
            Damaged(file, index, "the value name has no closing quote");
        }
    }
    const std::string_view rest = TrimBlanks(text.substr(pos));
    if (rest.empty() || rest.front() != '=') {
        Damaged(file, index, "'=' must follow the value name");
    }
    ParseData(file, index, TrimBlanks(rest.substr(1)), value, reg);
    value.lastLine = index;
    Key& key = reg.keys.back();
    key.lastLine = index;
    key.values.push_back(std::move(value));
}

RegistryFile Parse(const std::string& file, std::string_view content) {
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
        Damaged(file, 0, "the file is UTF-16 text; this store reads 8-bit text only");
    }
    RegistryFile reg;
    reg.exists = true;
    reg.lines = SplitLines(content);
    for (const Line& line : reg.lines) {
        if (!line.ending.empty()) {
            reg.newline = line.ending;
            break;
        }
    }
    std::string_view header;
    if (!reg.lines.empty()) {
        header = reg.lines.front().text;
    }
    if (header.starts_with(Utf8Mark)) {
        header.remove_prefix(Utf8Mark.size());
    }
    header = TrimBlanks(header);
    if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") {
        Damaged(file, 0, "the file does not start with the REGEDIT4 header");
    }
    for (std::size_t index = 1; index < reg.lines.size(); ++index) {
        const std::string_view text = TrimBlanks(reg.lines[index].text);
        if (text.empty() || text.front() == ';') {
            continue;
        }
        if (text.front() == '[') {
            ParseKeyLine(file, index, text, reg);
        } else if (text.front() == '"' || text.front() == '@') {
            ParseValueLine(file, index, text, reg);
        } else {
            Damaged(file, index, "the line is no key, value or comment line");
        }
    }
    return reg;
}

RegistryFile Load(const std::string& file) {
    std::string content;
    const int error = ReadFileContent(file, MaxStoreSize, content);
    if (error == ENOENT) {
        return {};
    }
    if (error != 0) {
        throw ERegistryException(FileErrorText("read file", file, error));
    }
    return Parse(file, content);
}

void Save(const std::string& file, const RegistryFile& reg) {
    std::string content;
    for (const Line& line : reg.lines) {
        content += line.text;
        content += line.ending;
    }
    try {
        AtomicFileWriter::WriteFile(file, content);
    } catch (const EFileError& error) {
        throw ERegistryException(error.Message());
    }
}

void CreateFolderOf(const std::string& file) {
    const std::string folder = std::filesystem::path(file).parent_path().string();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            throw ERegistryException(FileErrorText("create folder", folder, error.value()));
        }
    }
}

void InsertLine(RegistryFile& reg, std::size_t at, std::string text) {
    if (at > 0 && reg.lines[at - 1].ending.empty()) {
        reg.lines[at - 1].ending = reg.newline;
    }
    reg.lines.insert(reg.lines.begin() + static_cast<std::ptrdiff_t>(at),
                     Line{std::move(text), reg.newline});
}

// Registry editors separate keys with a blank line.
void AppendKey(RegistryFile& reg, const std::string& path) {
    if (!reg.exists) {
        reg.lines.push_back({"REGEDIT4", reg.newline});
        reg.exists = true;
    }
    if (!TrimBlanks(reg.lines.back().text).empty()) {
        InsertLine(reg, reg.lines.size(), "");
    }
    InsertLine(reg, reg.lines.size(), "[" + path + "]");
    reg.keys.push_back({path, false, reg.lines.size() - 1, {}});
}

bool KeyExists(const RegistryFile& reg, const std::string& path) {
    for (const Key& key : reg.keys) {
        if (!key.removal && (SameNameIgnoringCase(key.path, path) ||
                             (key.path.size() > path.size() && key.path[path.size()] == '\\' &&
                              StartsWithName(key.path, path)))) {
            return true;
        }
    }
    return false;
}

Key* LastSection(RegistryFile& reg, const std::string& path) {
    Key* found = nullptr;
    for (Key& key : reg.keys) {
        if (!key.removal && SameNameIgnoringCase(key.path, path)) {
            found = &key;
        }
    }
    return found;
}

const Value* FindValue(const RegistryFile& reg, const std::string& path, const std::string& name) {
    const Value* found = nullptr;
    for (const Key& key : reg.keys) {
        if (key.removal || !SameNameIgnoringCase(key.path, path)) {
            continue;
        }
        for (const Value& value : key.values) {
            if (SameNameIgnoringCase(value.name, name)) {
                found = &value;
            }
        }
    }
    return found;
}

bool IsValidKey(std::string_view key) {
    if (key.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto c = static_cast<unsigned char>(key[i]);
        const bool emptyPart = c == '\\' && (i == 0 || i + 1 == key.size() || key[i + 1] == '\\');
        if (c < 0x20 || c == 0x7F || emptyPart) {
            return false;
        }
    }
    return true;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

std::string TRegistry::DefaultFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/skyfence/registry.reg";
    }
    const std::optional<std::string> home = HomeFolder();
    if (!home) {
        throw ERegistryException("Cannot find the home folder for the registry file");
    }
    return *home + "/.config/skyfence/registry.reg";
}

TRegistry::TRegistry(std::string file) : file_(std::move(file)) {}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    std::string_view relative = key;
    if (relative.starts_with('\\')) {
        relative.remove_prefix(1);
    }
    if (relative.ends_with('\\')) {
        relative.remove_suffix(1);
    }
    if (!IsValidKey(relative)) {
        return false;
    }
    const std::string path =
        std::string(root_ == RootKey::HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\"
                                                         : "HKEY_CURRENT_USER\\") +
        std::string(relative);
    RegistryFile reg = Load(file_);
    if (!KeyExists(reg, path)) {
        if (!canCreate) {
            return false;
        }
        if (!reg.exists) {
            CreateFolderOf(file_);
        }
        AppendKey(reg, path);
        Save(file_, reg);
    }
    currentPath_ = path;
    return true;
}

void TRegistry::CloseKey() {
    currentPath_.clear();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    RequireOpenKey();
    if (HasLineBreak(value)) {
        Fail(file_, "the text of value \"" + name + "\" cannot hold a line break");
    }
    WriteValue(name, Quote(value));
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    RequireOpenKey();
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "dword:%08x", static_cast<std::uint32_t>(value));
    WriteValue(name, digits.data());
}

std::string TRegistry::ReadString(const std::string& name) {
    RequireOpenKey();
    const RegistryFile reg = Load(file_);
    const Value* value = FindValue(reg, currentPath_, name);
    if (value == nullptr || value->kind == Kind::Removed) {
        return {};
    }
    if (value->kind != Kind::Text) {
        Fail(file_, "value \"" + name + "\" of " + currentPath_ + " is not a text value");
    }
    return value->text;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
    RequireOpenKey();
    const RegistryFile reg = Load(file_);
    const Value* value = FindValue(reg, currentPath_, name);
    if (value == nullptr || value->kind == Kind::Removed) {
        Fail(file_, "value \"" + name + "\" of " + currentPath_ + " does not exist");
    }
    if (value->kind != Kind::Number) {
        Fail(file_, "value \"" + name + "\" of " + currentPath_ + " is not a number value");
    }
    return static_cast<std::int32_t>(value->number);
}

bool TRegistry::ValueExists(const std::string& name) {
    RequireOpenKey();
    const RegistryFile reg = Load(file_);
    const Value* value = FindValue(reg, currentPath_, name);
    return value != nullptr && value->kind != Kind::Removed;
}

void TRegistry::WriteValue(const std::string& name, const std::string& data) {
    if (HasLineBreak(name)) {
        Fail(file_, "a value name cannot hold a line break");
    }
    RegistryFile reg = Load(file_);
    if (!reg.exists) {
        // Removed since the key was opened: make it again rather than lose the write.
        CreateFolderOf(file_);
    }
    if (const Value* value = FindValue(reg, currentPath_, name)) {
        // The name keeps the file's spelling; continuation lines go with the old data.
        const std::size_t first = value->firstLine;
        const std::size_t last = value->lastLine;
        const std::string_view ending = reg.lines[last].ending;
        reg.lines[first] = {(value->name.empty() ? "@" : Quote(value->name)) + "=" + data, ending};
        reg.lines.erase(reg.lines.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                        reg.lines.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    } else {
        const std::string line = (name.empty() ? "@" : Quote(name)) + "=" + data;
        if (const Key* key = LastSection(reg, currentPath_)) {
            InsertLine(reg, key->lastLine + 1, line);
        } else {
            AppendKey(reg, currentPath_);
            InsertLine(reg, reg.lines.size(), line);
        }
    }
    Save(file_, reg);
}

void TRegistry::RequireOpenKey() const {
    if (currentPath_.empty()) {
        Fail(file_, "no key is open");
    }
}
