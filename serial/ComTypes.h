#pragma once

#include "platform/ThreadPriority.h"

#include <array>
#include <cstdint>
#include <initializer_list>

// The settings and event types of the serial port. Each enumeration keeps its values in the
// order given, and the sets hold one bit per value in that order.

enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum class TComEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum class TSyncMethod { smThreadSync, smWindowSync, smNone };
enum class TComError {
    errFrame,
    errRxParity,
    errOverrun,
    errBreak,
    errIO,
    errMode,
    errRxOverflow,
    errTxFull
};
enum class TModemLine { sigCTS, sigDSR, sigRing, sigRLSD };
enum class TStoreType { storeRegistry, storeIniFile };
enum class TStoredGroup {
    sgBasic,
    sgFlowDetails,
    sgBuffer,
    sgTimeouts,
    sgParityDetails,
    sgCharHandling
};

// A set of enumeration values, one bit per ordinal.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (const E value : values) {
            Include(value);
        }
    }
    static constexpr TSet FromBits(std::uint32_t bits) {
        TSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
    constexpr void Include(E value) { bits_ |= Bit(value); }
    constexpr void Exclude(E value) { bits_ &= ~Bit(value); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }

    friend constexpr bool operator==(TSet, TSet) = default;

private:
    static constexpr std::uint32_t Bit(E value) {
        return std::uint32_t{1} << static_cast<unsigned>(value);
    }

    std::uint32_t bits_ = 0;
};

using TComEvents = TSet<TComEvent>;
using TComErrors = TSet<TComError>;
using TModemLines = TSet<TModemLine>;
using TStoredGroups = TSet<TStoredGroup>;

inline constexpr TComEvents AllComEvents = TComEvents::FromBits(0x3FF);

// The order in which the events of one device report are delivered: errors before data.
inline constexpr std::array<TComEvent, 10> EventDeliveryOrder = {
    TComEvent::evError, TComEvent::evRxChar,  TComEvent::evTxEmpty, TComEvent::evBreak,
    TComEvent::evRing,  TComEvent::evCTS,     TComEvent::evDSR,     TComEvent::evRxFlag,
    TComEvent::evRLSD,  TComEvent::evRx80Full};

// Bits per second of a bit rate; brCustom has none of its own (0).
std::int32_t BaudRateValue(TBaudRate rate);

// The device's event mask for a set of events, and the events of a mask (other bits ignored).
std::uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(std::uint32_t mask);
