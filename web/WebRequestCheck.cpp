#include "WebRequestCheck.h"

#include "WebRoute.h"

#include <algorithm>

namespace {

// An empty line ends the head: "\r\n\r\n", or "\n\n" from a client that leaves out the "\r".
std::size_t HeadEnd(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') {
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            return i + 2;
        }
        if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            return i + 3;
        }
    }
    return std::string_view::npos;
}

constexpr std::size_t TailLength = 2;

// "GET /state.json?system=GPS HTTP/1.1": the path of the target, before its query. A line of
// another form is left to the HTTP server, which refuses it.
bool TargetIsRoute(std::string_view line) {
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) {
        return true;
    }
    const std::string_view target = line.substr(first + 1, second - first - 1);
    return IsWebRoute(target.substr(0, target.find('?')));
}

} // namespace

WebRequestCheck::Verdict WebRequestCheck::Add(std::string_view bytes) {
    if (!lineEnded_ && received_ <= limit_) {
        route_ = CheckLine(bytes);
    }
    if (!headEnded_ && received_ <= limit_) {
        const std::string text = tail_ + std::string(bytes);
        if (const std::size_t end = HeadEnd(text); end != std::string_view::npos) {
            headEnded_ = received_ - tail_.size() + end <= limit_;
        } else {
            tail_ = text.substr(text.size() - std::min(text.size(), TailLength));
        }
    }
    received_ += bytes.size();
    if (received_ > limit_) {
        return headEnded_ ? Verdict::BodyTooLarge : Verdict::HeadTooLarge;
    }
    return route_ ? Verdict::Fits : Verdict::NotARoute;
}

bool WebRequestCheck::CheckLine(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    line_.append(bytes.substr(0, end));
    if (end == std::string_view::npos) {
        return true;
    }
    lineEnded_ = true;
    return TargetIsRoute(line_);
}

void WebRequestCheck::Restart() {
    received_ = 0;
    headEnded_ = false;
    lineEnded_ = false;
    route_ = true;
    line_.clear();
    tail_.clear();
}
