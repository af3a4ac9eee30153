#include "TComDataPacket.h"

#include "TCustomComPort.h"

#include <algorithm>
#include <exception>

namespace {

char Folded(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameFolded(char a, char b) {
    return Folded(a) == Folded(b);
}

// After a search of `searched` characters found nothing, no match can begin before this, however
// much text is appended.
std::size_t ResumeAt(std::size_t searched, std::size_t soughtLength) {
    return searched >= soughtLength ? searched - soughtLength + 1 : 0;
}

} // namespace

TComDataPacket::TComDataPacket(TComponent* owner) : TComponent(owner) {
    link_.OnRxData = [this](TCustomComPort&, const void* buffer, std::int32_t count) {
        AppendData(std::string(static_cast<const char*>(buffer),
                               static_cast<std::size_t>(std::max(count, std::int32_t{0}))));
    };
}

TComDataPacket::~TComDataPacket() {
    SetComPort(nullptr);
}

void TComDataPacket::SetComPort(TCustomComPort* port) {
    if (port == comPort_) {
        return;
    }
    if (comPort_ != nullptr) {
        comPort_->DetachLink(link_);
        RemoveFreeNotification(*comPort_);
    }
    comPort_ = port;
    if (port != nullptr) {
        FreeNotification(*port);
        port->AttachLink(link_);
    }
}

void TComDataPacket::Notification(TComponent& component, TOperation operation) {
    TComponent::Notification(component, operation);
    // The port tells us before it frees its links, so detaching here is still safe.
    if (operation == TOperation::opRemove && &component == comPort_) {
        SetComPort(nullptr);
    }
}

void TComDataPacket::SetCaseInsensitive(bool caseInsensitive) {
    if (caseInsensitive == caseInsensitive_) {
        return;
    }
    caseInsensitive_ = caseInsensitive;
    Rescan();
    if (!Loading()) {
        FlushBuffer();
    }
}

void TComDataPacket::SetStartString(const std::string& startString) {
    if (startString == startString_) {
        return;
    }
    startString_ = startString;
    Rescan();
    if (!Loading()) {
        FlushBuffer();
    }
}

void TComDataPacket::SetStopString(const std::string& stopString) {
    if (stopString == stopString_) {
        return;
    }
    stopString_ = stopString;
    Rescan();
    if (!Loading()) {
        FlushBuffer();
    }
}

void TComDataPacket::SetSize(std::int32_t size) {
    if (size == size_) {
        return;
    }
    size_ = size;
    if (!Loading()) {
        FlushBuffer();
    }
}

bool TComDataPacket::HasStopCondition() const {
    return size_ > 0 || !stopString_.empty() || OnCustomStop;
}

void TComDataPacket::AppendData(const std::string& str) {
    // Without an end there is nothing to wait for: each block is a packet of its own.
    if (!HasStopCondition()) {
        FirePacket(str);
        return;
    }
    buffer_ += str;
    ProcessBuffer();
}

void TComDataPacket::ProcessBuffer() {
    // A pass that cuts a packet is followed by another on what remains, and each pass ends with
    // the buffer limit, also when a handler throws. Looping keeps a block of thousands of
    // packets off the stack; the limit checks then run once per pass, as nested passes would
    // run them on their way out, and the last exception raised is the one that travels on.
    std::size_t passes = 0;
    std::exception_ptr failure;
    try {
        do {
            ++passes;
        } while (ProcessPass());
    } catch (...) {
        failure = std::current_exception();
    }
    for (; passes > 0; --passes) {
        // Nothing runs between two checks, so once one finds the buffer small enough, all do.
        if (maxBufferSize_ <= 0 || buffer_.size() < static_cast<std::size_t>(maxBufferSize_)) {
            break;
        }
        try {
            FlushOverLimit();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

bool TComDataPacket::ProcessPass() {
    if (!inPacket_) {
        LookForStart();
    }
    if (!inPacket_) {
        return false;
    }
    std::size_t length = 0;
    if (!LookForEnd(length)) {
        return false;
    }
    inPacket_ = false;
    // Only a stop handler ends a packet in an empty buffer; one that always does so would end
    // another there on every further pass, for ever.
    const bool cutNothing = buffer_.empty();
    std::string packet = buffer_.substr(0, length);
    buffer_.erase(0, length);
    Rescan();
    if (!includeStrings_) {
        StripFraming(packet);
    }
    FirePacket(packet);
    return !inPacket_ && !cutNothing;
}

void TComDataPacket::LookForStart() {
    std::int32_t pos = -1;
    FireCustomStart(buffer_, pos);
    if (pos > 0) {
        EnterPacketAt(static_cast<std::size_t>(pos) - 1);
    } else if (pos == -1) {
        if (startString_.empty()) {
            inPacket_ = true;
        } else if (const std::size_t start = Find(buffer_, startString_, startSearched_);
                   start != std::string::npos) {
            EnterPacketAt(start);
        } else {
            startSearched_ = ResumeAt(buffer_.size(), startString_.size());
        }
    }
}

bool TComDataPacket::LookForEnd(std::size_t& length) {
    std::int32_t pos = -1;
    FireCustomStop(buffer_, pos);
    if (pos > 0) {
        length = static_cast<std::size_t>(pos);
        return true;
    }
    if (pos != -1) {
        return false;
    }
    if (size_ > 0 && buffer_.size() >= static_cast<std::size_t>(size_)) {
        length = static_cast<std::size_t>(size_);
        return true;
    }
    // The stop string is sought after the start string, which may well contain it.
    const std::size_t skip = startString_.size();
    if (buffer_.size() < skip) {
        return false;
    }
    const std::string_view text = std::string_view(buffer_).substr(skip);
    const std::size_t stop = Find(text, stopString_, stopSearched_);
    if (stop == std::string::npos) {
        stopSearched_ = ResumeAt(text.size(), stopString_.size());
        return false;
    }
    length = skip + stop + stopString_.size();
    return true;
}

void TComDataPacket::EnterPacketAt(std::size_t start) {
    inPacket_ = true;
    if (start == 0) {
        return;
    }
    const std::string discarded = buffer_.substr(0, start);
    buffer_.erase(0, start);
    Rescan();
    FireDiscard(discarded);
}

void TComDataPacket::StripFraming(std::string& packet) const {
    if (!startString_.empty() && packet.size() >= startString_.size() &&
        Same(std::string_view(packet).substr(0, startString_.size()), startString_)) {
        packet.erase(0, startString_.size());
    }
    // Only a stop string that ends the packet is framing: a packet cut by size or by a handler
    // keeps one found earlier.
    if (!stopString_.empty() && packet.size() >= stopString_.size()) {
        const std::size_t end = packet.size() - stopString_.size();
        if (Find(packet, stopString_) == end) {
            packet.erase(end);
        }
    }
}

void TComDataPacket::FlushBuffer() {
    DiscardAllBut(0);
}

void TComDataPacket::FlushOverLimit() {
    // Outside a packet the block may have ended inside a start string; throwing that away would
    // lose the sentence it begins.
    DiscardAllBut(inPacket_ ? 0 : PartialStartAtEnd());
}

void TComDataPacket::DiscardAllBut(std::size_t keep) {
    if (buffer_.size() <= keep) {
        return;
    }
    const std::size_t cut = buffer_.size() - keep;
    const std::string discarded = buffer_.substr(0, cut);
    const std::string kept = buffer_.substr(cut);
    // Whatever the handler does, the buffer ends up holding only what is kept.
    const auto leave = [this, &kept] {
        buffer_ = kept;
        inPacket_ = false;
        Rescan();
    };
    try {
        FireDiscard(discarded);
    } catch (...) {
        leave();
        throw;
    }
    leave();
}

std::size_t TComDataPacket::PartialStartAtEnd() const {
    if (startString_.empty()) {
        return 0;
    }
    const std::string_view buffer(buffer_);
    for (std::size_t length = std::min(buffer.size(), startString_.size() - 1); length > 0;
         --length) {
        if (Same(buffer.substr(buffer.size() - length),
                 std::string_view(startString_).substr(0, length))) {
            return length;
        }
    }
    return 0;
}

void TComDataPacket::Rescan() {
    startSearched_ = 0;
    stopSearched_ = 0;
}

std::size_t TComDataPacket::Find(std::string_view text, std::string_view what,
                                 std::size_t from) const {
    if (what.empty() || from > text.size()) {
        return std::string::npos;
    }
    if (!caseInsensitive_) {
        return text.find(what, from);
    }
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                   what.begin(), what.end(), SameFolded);
    return found == text.end() ? std::string::npos : static_cast<std::size_t>(found - text.begin());
}

bool TComDataPacket::Same(std::string_view a, std::string_view b) const {
    if (!caseInsensitive_) {
        return a == b;
    }
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameFolded);
}

void TComDataPacket::FireDiscard(const std::string& str) {
    if (OnDiscard) {
        OnDiscard(*this, str);
    }
}

void TComDataPacket::FirePacket(const std::string& str) {
    if (OnPacket) {
        OnPacket(*this, str);
    }
}

void TComDataPacket::FireCustomStart(const std::string& str, std::int32_t& pos) {
    if (OnCustomStart) {
        OnCustomStart(*this, str, pos);
    }
}

void TComDataPacket::FireCustomStop(const std::string& str, std::int32_t& pos) {
    if (OnCustomStop) {
        OnCustomStop(*this, str, pos);
    }
}
