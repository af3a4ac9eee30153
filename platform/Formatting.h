#pragma once

#include <chrono>
#include <string>

// printf-style formatting of integers and texts ("%d", "%.2d", "%s"). Numbers with decimals go
// through FormatFixed, which does not depend on the user's locale.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Appends `value` as "%.Nd" would, N being `minDigits`: the sign, then at least `minDigits`
// digits with leading zeros. For texts made many times a second, where printf's parsing shows.
void AppendInteger(std::string& text, long long value, int minDigits = 1);

// A number with `decimals` digits after a "." ("%.2f", "%.0f"), whatever the user's locale.
std::string FormatFixed(double value, int decimals);

// A length of time for a message: "30 s", or "200 ms" when it is no whole number of seconds.
std::string DurationText(std::chrono::milliseconds duration);
