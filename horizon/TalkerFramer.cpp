#include "TalkerFramer.h"

#include <algorithm>

namespace {

// NMEA talkers have two letters.
constexpr std::size_t TalkerLength = 2;

} // namespace

TalkerFramer::TalkerFramer(std::string_view type, std::vector<std::string> talkers,
                           bool keepFraming)
    : suffix_(std::string(type) + ","), talkers_(std::move(talkers)), keepFraming_(keepFraming),
      states_(talkers_.size()) {}

void TalkerFramer::AppendData(std::string_view block) {
    const std::uint64_t blockStart = End();
    bytes_.append(block);
    const std::vector<Address> addresses = NewAddresses();
    const std::vector<std::uint64_t> stars = NewStars(blockStart);
    std::vector<Sentence> cut;
    for (std::size_t talker = 0; talker < talkers_.size(); ++talker) {
        CutTalker(talker, addresses, stars, cut);
    }
    Forget();
    for (const Sentence& sentence : cut) {
        if (OnSentence) {
            OnSentence(talkers_[sentence.talker], sentence.text);
        }
    }
}

std::vector<TalkerFramer::Address> TalkerFramer::NewAddresses() {
    const std::size_t length = 1 + TalkerLength + suffix_.size();
    std::vector<Address> addresses;
    if (bytes_.size() < length) {
        return addresses;
    }
    const std::size_t last = bytes_.size() - length;
    for (std::size_t at = bytes_.find('$', static_cast<std::size_t>(addressesFrom_ - held_));
         at <= last; at = bytes_.find('$', at + 1)) {
        if (bytes_.compare(at + 1 + TalkerLength, suffix_.size(), suffix_) != 0) {
            continue;
        }
        const std::string_view talker = std::string_view(bytes_).substr(at + 1, TalkerLength);
        const auto found = std::find(talkers_.begin(), talkers_.end(), talker);
        if (found != talkers_.end()) {
            addresses.push_back({held_ + at, static_cast<std::size_t>(found - talkers_.begin())});
        }
    }
    addressesFrom_ = held_ + last + 1;
    return addresses;
}

std::vector<std::uint64_t> TalkerFramer::NewStars(std::uint64_t from) const {
    std::vector<std::uint64_t> stars;
    for (std::size_t at = bytes_.find('*', static_cast<std::size_t>(from - held_));
         at != std::string::npos; at = bytes_.find('*', at + 1)) {
        stars.push_back(held_ + at);
    }
    return stars;
}

void TalkerFramer::CutTalker(std::size_t talker, const std::vector<Address>& addresses,
                             const std::vector<std::uint64_t>& stars, std::vector<Sentence>& cut) {
    TalkerState& state = states_[talker];
    auto address = addresses.begin();
    auto star = stars.begin();
    for (;;) {
        if (!state.open) {
            address = std::find_if(address, addresses.end(), [&](const Address& each) {
                return each.talker == talker && each.at >= state.from;
            });
            if (address == addresses.end()) {
                break;
            }
            state.open = true;
            state.start = address->at;
        }
        // An address holds no "*": the first one after its start ends the sentence.
        star = std::find_if(star, stars.end(), [&](std::uint64_t at) { return at > state.start; });
        if (star == stars.end()) {
            break;
        }
        cut.push_back({talker, Text(state.start, *star)});
        state.open = false;
        state.from = *star + 1;
    }
    if (state.open && End() - state.start >= MaxSentenceBytes) {
        state.open = false;
        state.from = End();
    }
}

std::string TalkerFramer::Text(std::uint64_t start, std::uint64_t star) const {
    const auto first = static_cast<std::size_t>(start - held_);
    const auto stop = static_cast<std::size_t>(star - held_);
    if (keepFraming_) {
        return bytes_.substr(first, stop + 1 - first);
    }
    const std::size_t body = first + 1 + TalkerLength + suffix_.size();
    return bytes_.substr(body, stop - body);
}

// Keeps what an open sentence and an address not yet complete still need.
void TalkerFramer::Forget() {
    std::uint64_t keep = addressesFrom_;
    for (const TalkerState& state : states_) {
        if (state.open) {
            keep = std::min(keep, state.start);
        }
    }
    keep = std::min(keep, End());
    bytes_.erase(0, static_cast<std::size_t>(keep - held_));
    held_ = keep;
}
