#include "EventSignal.h"

#include <cstdint>
#include <unistd.h>

void SignalEvent(int event) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(event, &one, sizeof one);
}

void ConsumeEvent(int event) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(event, &count, sizeof count);
}
