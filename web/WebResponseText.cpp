#include "WebResponseText.h"

#include "platform/Exception.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace {

constexpr std::array<std::pair<int, std::string_view>, 13> Reasons{{
    {200, "OK"},
    {204, "No Content"},
    {304, "Not Modified"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {413, "Content Too Large"},
    {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
}};

// An unusual status goes out without its phrase, which HTTP allows.
std::string_view Reason(int status) {
    const auto* const found = std::find_if(
        Reasons.begin(), Reasons.end(), [status](const auto& row) { return row.first == status; });
    return found == Reasons.end() ? std::string_view() : found->second;
}

bool IsHeaderText(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

void AddHeader(std::string& text, std::string_view name, std::string_view value) {
    if (name.empty() || !IsHeaderText(name) || !IsHeaderText(value) ||
        name.find(':') != std::string_view::npos) {
        throw Exception("The web page's answer has a malformed header \"" + std::string(name) +
                        "\".");
    }
    text.append(name).append(": ").append(value).append("\r\n");
}

} // namespace

std::string WebResponseText(const WebResponse& response, bool withBody, bool close) {
    if (response.Status < 100 || response.Status > 599) {
        throw Exception("The web page's answer has no valid status (" +
                        std::to_string(response.Status) + ").");
    }
    std::string text = "HTTP/1.1 " + std::to_string(response.Status) + " ";
    text.append(Reason(response.Status)).append("\r\n");
    if (!response.ContentType.empty()) {
        AddHeader(text, "Content-Type", response.ContentType);
    }
    AddHeader(text, "Content-Length", std::to_string(response.Body.size()));
    AddHeader(text, "Cache-Control", "no-store");
    AddHeader(text, "X-Content-Type-Options", "nosniff");
    AddHeader(text, "Referrer-Policy", "no-referrer");
    if (close) {
        AddHeader(text, "Connection", "close");
    }
    for (const auto& [name, value] : response.Headers) {
        AddHeader(text, name, value);
    }
    text.append("\r\n");
    if (withBody) {
        text.append(response.Body);
    }
    return text;
}
