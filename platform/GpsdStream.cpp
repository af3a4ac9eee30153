#include "GpsdStream.h"

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

} // namespace

void GpsdStream::Feed(std::string_view bytes, std::string& sentences) {
    while (!bytes.empty() && greeting_ != Greeting::Wrong) {
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
    }
    line_.clear();
}

std::string GpsdStream::WatchRequest(const std::string& device) {
    std::string request = R"(?WATCH={"enable":true,"nmea":true)";
    if (!device.empty()) {
        request += R"(,"device":")" + device + '"';
    }
    return request + "}\n";
}
