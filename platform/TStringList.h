#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of 8-bit texts with comma text and text-file reading and writing.
class TStringList {
public:
    // Files larger than this are refused: no text file of the system comes near it, and reading
    // one without a bound would let a stray file exhaust memory.
    static constexpr std::size_t MaxFileSize = 64 * 1024 * 1024;

    TStringList() = default;
    explicit TStringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }

    // Get and Put raise EListError for an index outside the list.
    const std::string& Get(std::size_t index) const;
    void Put(std::size_t index, std::string text);
    void Add(std::string text) { lines_.push_back(std::move(text)); }
    void Clear() { lines_.clear(); }

    std::string CommaText() const;
    void SetCommaText(std::string_view text);

    // Replaces the content with the lines of `text`; CR LF, a lone CR and a lone LF each end a
    // line, and a last line without an ending still counts.
    void SetText(std::string_view text);
    // Every line followed by CR LF.
    std::string Text() const;

    // Replaces the content with the file's lines. When reading fails part way the list keeps the
    // lines read until then and EFileError is raised.
    void LoadFromFile(const std::string& path);
    // Creates or replaces the file, atomically (see AtomicFileWriter).
    void SaveToFile(const std::string& path) const;

    const std::vector<std::string>& Lines() const { return lines_; }

    friend bool operator==(const TStringList&, const TStringList&) = default;

private:
    std::vector<std::string> lines_;
};
