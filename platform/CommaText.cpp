#include "CommaText.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(std::string_view field) {
    return std::any_of(field.begin(), field.end(),
                       [](char c) { return IsBlank(c) || c == ',' || c == '"'; });
}

// Reads a quoted field starting at the opening quote; stops after its closing quote, or at the
// end of the text when the quote is never closed.
std::size_t ReadQuoted(std::string_view text, std::size_t pos, std::string& field) {
    field.clear();
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                field.push_back('"');
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        field.push_back(text[pos]);
        ++pos;
    }
    return pos;
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

} // namespace

void SplitCommaText(std::string_view text, std::vector<std::string>& fields) {
    std::size_t count = 0;
    std::size_t pos = SkipBlanks(text, 0);
    while (pos < text.size()) {
        if (count == fields.size()) {
            fields.emplace_back();
        }
        std::string& field = fields[count++];
        if (text[pos] == '"') {
            pos = ReadQuoted(text, pos, field);
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ',') {
                ++pos;
            }
            field.assign(text.substr(start, pos - start));
        }
        pos = SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            pos = SkipBlanks(text, pos + 1);
        }
    }
    fields.resize(count);
}

std::vector<std::string> SplitCommaText(std::string_view text) {
    std::vector<std::string> fields;
    // One allocation for the usual line, which has no quoted commas.
    fields.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) + 1);
    SplitCommaText(text, fields);
    return fields;
}

void JoinCommaText(const std::vector<std::string>& fields, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            text.push_back(',');
        }
        const std::string& field = fields[i];
        if (!NeedsQuotes(field)) {
            text += field;
            continue;
        }
        text.push_back('"');
        for (const char c : field) {
            if (c == '"') {
                text.push_back('"');
            }
            text.push_back(c);
        }
        text.push_back('"');
    }
}

std::string JoinCommaText(const std::vector<std::string>& fields) {
    std::string text;
    JoinCommaText(fields, text);
    return text;
}
