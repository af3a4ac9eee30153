#include "ReceiverModeHint.h"

#include "ReceiverMode.h"

#include <algorithm>

namespace {

// "$", a talker of two letters, the sentence and its comma: "$GLGSV,".
constexpr std::size_t AddressLength = 7;

bool OtherModeAddress(std::string_view address) {
    const std::string_view talker = address.substr(1, 2);
    const std::string_view sentence = address.substr(3);
    return talker != GpsOnlyTalker && (sentence == "GSV," || sentence == "RMC,") &&
           std::find(AllSystemsTalkers.begin(), AllSystemsTalkers.end(), talker) !=
               AllSystemsTalkers.end();
}

} // namespace

const char* ReceiverModeHint::Text() {
    return "The receiver sends satellites of other systems or sentences of NMEA 4.10 and later, "
           "which the receiver setting \"GPS only\" leaves out: choose \"All satellite "
           "systems\" for Receiver in File > Setup.";
}

ReceiverModeHint::ReceiverModeHint(Clock clock) : clock_(std::move(clock)) {}

void ReceiverModeHint::Accepted() {
    since_.reset();
}

void ReceiverModeHint::OtherModeSentence() {
    if (fired_) {
        return;
    }
    const auto now = clock_();
    if (!since_) {
        since_ = now;
        return;
    }
    if (now - *since_ >= Patience) {
        fired_ = true;
        if (OnHint) {
            OnHint();
        }
    }
}

void ReceiverModeHint::ScanBlock(std::string_view block) {
    if (fired_) {
        return;
    }
    // An address the last block cut off begins in its last bytes, the tail; the rest of it is at
    // the start of this block.
    if (!tail_.empty()) {
        std::string seam = tail_;
        seam.append(block.substr(0, AddressLength - 1));
        ScanAddresses(seam, tail_.size());
    }
    ScanAddresses(block, block.size());
    tail_.append(block.substr(block.size() - std::min(block.size(), AddressLength - 1)));
    tail_.erase(0, tail_.size() - std::min(tail_.size(), AddressLength - 1));
}

void ReceiverModeHint::ScanAddresses(std::string_view text, std::size_t startsBefore) {
    for (std::size_t at = text.find('$'); at < startsBefore && !fired_;
         at = text.find('$', at + 1)) {
        if (text.size() - at < AddressLength) {
            return;
        }
        if (OtherModeAddress(text.substr(at, AddressLength))) {
            OtherModeSentence();
        }
    }
}
