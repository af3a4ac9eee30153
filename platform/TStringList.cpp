#include "TStringList.h"

#include "AtomicFileWriter.h"
#include "CommaText.h"
#include "Exception.h"
#include "FileContent.h"
#include "SystemError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void IndexOutOfBounds(std::size_t index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

const std::string& TStringList::Get(std::size_t index) const {
    if (index >= lines_.size()) {
        IndexOutOfBounds(index);
    }
    return lines_[index];
}

void TStringList::Put(std::size_t index, std::string text) {
    if (index >= lines_.size()) {
        IndexOutOfBounds(index);
    }
    lines_[index] = std::move(text);
}

std::string TStringList::CommaText() const {
    return JoinCommaText(lines_);
}

void TStringList::SetCommaText(std::string_view text) {
    SplitCommaText(text, lines_);
}

void TStringList::SetText(std::string_view text) {
    lines_.clear();
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines_.emplace_back(text.substr(start, pos - start));
        if (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
            ++pos;
        }
        start = pos + 1;
    }
    if (start < text.size()) {
        lines_.emplace_back(text.substr(start));
    }
}

std::string TStringList::Text() const {
    std::size_t size = 0;
    for (const std::string& line : lines_) {
        size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::LoadFromFile(const std::string& path) {
    std::string content;
    const int error = ReadFileContent(path, MaxFileSize, content);
    SetText(content);
    if (error != 0) {
        throw EFileError(FileErrorText("read file", path, error));
    }
}

void TStringList::SaveToFile(const std::string& path) const {
    AtomicFileWriter::WriteFile(path, Text());
}
