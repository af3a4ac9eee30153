#include "ComTypes.h"

#include "device/SerialDevice.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<TComEvent, std::uint32_t>, 10> EventMasks = {{
    {TComEvent::evRxChar, DeviceEvent::RxChar},
    {TComEvent::evTxEmpty, DeviceEvent::TxEmpty},
    {TComEvent::evRxFlag, DeviceEvent::RxFlag},
    {TComEvent::evRing, DeviceEvent::Ring},
    {TComEvent::evBreak, DeviceEvent::Break},
    {TComEvent::evCTS, DeviceEvent::Cts},
    {TComEvent::evDSR, DeviceEvent::Dsr},
    {TComEvent::evError, DeviceEvent::Err},
    {TComEvent::evRLSD, DeviceEvent::Rlsd},
    {TComEvent::evRx80Full, DeviceEvent::Rx80Full},
}};

constexpr std::array<std::int32_t, 16> BaudRates = {0,     110,    300,    600,   1200,  2400,
                                                    4800,  9600,   14400,  19200, 38400, 56000,
                                                    57600, 115200, 128000, 256000};

} // namespace

std::int32_t BaudRateValue(TBaudRate rate) {
    return BaudRates[static_cast<std::size_t>(rate)];
}

std::uint32_t EventsToMask(TComEvents events) {
    std::uint32_t mask = 0;
    for (const auto& [event, bit] : EventMasks) {
        if (events.Contains(event)) {
            mask |= bit;
        }
    }
    return mask;
}

TComEvents MaskToEvents(std::uint32_t mask) {
    TComEvents events;
    for (const auto& [event, bit] : EventMasks) {
        if ((mask & bit) != 0) {
            events.Include(event);
        }
    }
    return events;
}
