#include "ResponseCache.h"

const WebResponse& ResponseCache::Get(std::uint64_t revision, const std::string& key,
                                      const std::function<WebResponse()>& make) {
    if (revision != revision_ || answers_.size() >= MaxEntries) {
        answers_.clear();
        revision_ = revision;
    }
    if (const auto kept = answers_.find(key); kept != answers_.end()) {
        return kept->second;
    }
    return answers_.emplace(key, make()).first->second;
}
