#pragma once

#include <string>

// A time of day to the second; only EncodeTime makes one, so it is always in range.
class TimeOfDay {
public:
    // Raises EConvertError unless hours are 0..23 and minutes and seconds 0..59.
    static TimeOfDay EncodeTime(int hours, int minutes, int seconds);

    // "hh:nn:ss": two digits each, separated by colons whatever the user's locale.
    std::string Format() const;

    int Hours() const { return hours_; }
    int Minutes() const { return minutes_; }
    int Seconds() const { return seconds_; }

private:
    TimeOfDay(int hours, int minutes, int seconds)
        : hours_(hours), minutes_(minutes), seconds_(seconds) {}

    int hours_;
    int minutes_;
    int seconds_;
};
