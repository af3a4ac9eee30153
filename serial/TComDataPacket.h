#pragma once

#include "TComLink.h"
#include "platform/TComponent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TCustomComPort;

// Cuts the bytes a port receives into packets between a start and an end: a start string or a
// position chosen by a handler, and a fixed size, a stop string or a position chosen by a
// handler. Each packet goes to OnPacket; text before a start, or thrown away because the buffer
// grew too large, goes to OnDiscard.
class TComDataPacket : public TComponent {
public:
    using StrEvent = std::function<void(TComDataPacket& sender, const std::string& str)>;
    using CustPacketEvent =
        std::function<void(TComDataPacket& sender, const std::string& str, std::int32_t& pos)>;

    explicit TComDataPacket(TComponent* owner = nullptr);
    ~TComDataPacket() override;

    TCustomComPort* ComPort() const { return comPort_; }
    void SetComPort(TCustomComPort* port);
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool caseInsensitive);
    bool IncludeStrings() const { return includeStrings_; }
    void SetIncludeStrings(bool includeStrings) { includeStrings_ = includeStrings; }
    std::int32_t MaxBufferSize() const { return maxBufferSize_; }
    void SetMaxBufferSize(std::int32_t maxBufferSize) { maxBufferSize_ = maxBufferSize; }
    const std::string& StartString() const { return startString_; }
    void SetStartString(const std::string& startString);
    const std::string& StopString() const { return stopString_; }
    void SetStopString(const std::string& stopString);
    std::int32_t Size() const { return size_; }
    void SetSize(std::int32_t size);

    StrEvent OnDiscard;
    StrEvent OnPacket;
    CustPacketEvent OnCustomStart;
    CustPacketEvent OnCustomStop;

    // The framer's entry: a received block.
    void AppendData(const std::string& str);
    // Reports a non-empty buffer through OnDiscard and empties it.
    void FlushBuffer();

    const std::string& Buffer() const { return buffer_; }
    bool InPacket() const { return inPacket_; }

protected:
    void Notification(TComponent& component, TOperation operation) override;
    virtual void ProcessBuffer();
    virtual void FireDiscard(const std::string& str);
    virtual void FirePacket(const std::string& str);
    virtual void FireCustomStart(const std::string& str, std::int32_t& pos);
    virtual void FireCustomStop(const std::string& str, std::int32_t& pos);

private:
    bool HasStopCondition() const;
    // One pass over the buffer; true when it cut a packet and another pass is due.
    bool ProcessPass();
    void LookForStart();
    bool LookForEnd(std::size_t& length);
    void EnterPacketAt(std::size_t start);
    void StripFraming(std::string& packet) const;
    void FlushOverLimit();
    void DiscardAllBut(std::size_t keep);
    std::size_t PartialStartAtEnd() const;
    std::size_t Find(std::string_view text, std::string_view what, std::size_t from = 0) const;
    void Rescan();
    bool Same(std::string_view a, std::string_view b) const;

    TComLink link_;
    TCustomComPort* comPort_ = nullptr;
    std::string startString_;
    std::string stopString_;
    std::int32_t maxBufferSize_ = 1024;
    std::int32_t size_ = 0;
    bool includeStrings_ = false;
    bool caseInsensitive_ = false;
    bool inPacket_ = false;
    std::string buffer_;
    // How far the start and stop searches have already looked without a match, so that a
    // growing buffer is not searched from its beginning again on every block.
    std::size_t startSearched_ = 0;
    std::size_t stopSearched_ = 0;
};
