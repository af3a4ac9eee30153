#include "GpsdStream.h"

#include <optional>
#include <utility>

namespace {

bool IsVersionObject(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    return line.starts_with('{') && line.ends_with('}') &&
           line.find("\"class\":\"VERSION\"") != std::string_view::npos;
}

bool IsSentence(std::string_view line) {
    return line.starts_with('$') || line.starts_with('!');
}

// Where the value of `"key":` begins in a report's line; npos without one. Spaces after the colon
// are skipped, as JSON allows them.
std::size_t ValueAt(std::string_view line, std::string_view key) {
    const std::string quoted = '"' + std::string(key) + "\":";
    const std::size_t found = line.find(quoted);
    if (found == std::string_view::npos) {
        return found;
    }
    return line.find_first_not_of(' ', found + quoted.size());
}

// The string value of `key`, its escapes undone and anything that is no printable ASCII made a
// '?', so that it may go into a line of text; none when there is no such string.
std::optional<std::string> StringMember(std::string_view line, std::string_view key) {
    std::size_t at = ValueAt(line, key);
    if (at == std::string_view::npos || line[at] != '"') {
        return std::nullopt;
    }
    std::string value;
    for (++at; at < line.size() && line[at] != '"'; ++at) {
        char c = line[at];
        if (c == '\\' && at + 1 < line.size()) {
            c = line[++at];
        }
        value += c >= 0x20 && c < 0x7f ? c : '?';
    }
    return value;
}

// A report that a receiver went away: gpsd says it is activated since time 0.
bool IsDeactivated(std::string_view line) {
    const std::size_t at = ValueAt(line, "activated");
    return at != std::string_view::npos && line[at] == '0' &&
           (at + 1 == line.size() || line[at + 1] == ',' || line[at + 1] == '}' ||
            line[at + 1] == ' ');
}

} // namespace

void GpsdStream::Feed(std::string_view bytes, std::string& sentences) {
    while (!bytes.empty() && greeting_ != Greeting::Wrong && trouble_.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece =
            bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
        bytes.remove_prefix(piece.size());
        if (!overlong_) {
            if (line_.size() + piece.size() > LongestLine) {
                overlong_ = true;
                line_.clear();
            } else {
                line_.append(piece);
            }
        }
        if (piece.ends_with('\n')) {
            EndLine(sentences);
        }
    }
}

void GpsdStream::EndLine(std::string& sentences) {
    const bool overlong = std::exchange(overlong_, false);
    if (greeting_ == Greeting::Awaited) {
        greeting_ =
            !overlong && IsVersionObject(std::string_view(line_).substr(0, line_.size() - 1))
                ? Greeting::Received
                : Greeting::Wrong;
    } else if (!overlong && IsSentence(line_)) {
        sentences += line_;
    } else if (!overlong && trouble_.empty() && line_.starts_with('{')) {
        ReadReport(line_);
    }
    line_.clear();
}

void GpsdStream::ReadReport(std::string_view line) {
    const auto kind = StringMember(line, "class");
    if (kind == "ERROR") {
        trouble_ = "gpsd answered: " + StringMember(line, "message").value_or("an error");
        if (!device_.empty()) {
            trouble_ += " (asked for " + device_ + ")";
        }
    } else if (kind == "DEVICE" && IsDeactivated(line)) {
        const std::string path = StringMember(line, "path").value_or("");
        if (device_.empty() || path == device_) {
            trouble_ = "gpsd reports that the receiver " + path + " went away";
        }
    }
}

std::string GpsdStream::WatchRequest(const std::string& device) {
    std::string request = R"(?WATCH={"enable":true,"nmea":true)";
    if (!device.empty()) {
        request += R"(,"device":")" + device + '"';
    }
    return request + "}\n";
}
