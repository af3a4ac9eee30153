#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One answer of the web page's server, built by the page without any HTTP machinery.
struct WebResponse {
    int Status = 200;
    std::string ContentType; // e.g. "text/html; charset=utf-8", "image/png"
    std::string Body;
    // Extra headers, e.g. {"Content-Disposition", "attachment; filename=\"skyfence.png\""}
    std::vector<std::pair<std::string, std::string>> Headers;
};

// The answer to a GET (HEAD: the server drops the body) of `path` ("/", "/state.json" ...)
// with its query items (the access token already taken out); no value: no such route (404).
using WebHandler = std::function<std::optional<WebResponse>(
    std::string_view path, const std::map<std::string, std::string>& query)>;
