#pragma once

#include "WebResponse.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

// Answers made once per revision of what they show and shared by every client that asks for
// them until it changes: the pictures and downloads of the maps.
class ResponseCache {
public:
    // Enough for every route of every system in one revision; beyond it the cache starts afresh,
    // so that no query can make it grow without end.
    static constexpr std::size_t MaxEntries = 64;

    // The answer kept under `key` for `revision`, or the one `make` gives (kept when it succeeds).
    // A new revision drops every answer of the one before.
    const WebResponse& Get(std::uint64_t revision, const std::string& key,
                           const std::function<WebResponse()>& make);

private:
    std::uint64_t revision_ = 0;
    std::map<std::string, WebResponse> answers_;
};
