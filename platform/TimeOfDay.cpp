#include "TimeOfDay.h"

#include "Exception.h"
#include "Formatting.h"

TimeOfDay TimeOfDay::EncodeTime(int hours, int minutes, int seconds) {
    const auto inRange = [](int value, int last) { return value >= 0 && value <= last; };
    if (!inRange(hours, 23) || !inRange(minutes, 59) || !inRange(seconds, 59)) {
        throw EConvertError("Invalid argument to time encode");
    }
    return TimeOfDay(hours, minutes, seconds);
}

std::string TimeOfDay::Format() const {
    return ::Format("%.2d:%.2d:%.2d", hours_, minutes_, seconds_);
}
