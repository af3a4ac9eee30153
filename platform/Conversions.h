#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Strict integer conversion: an optional sign, then decimal digits or "$" and hexadecimal digits,
// nothing else, within 32 bits (hexadecimal up to $FFFFFFFF, read as the 32-bit pattern).
// Anything else, the empty text included, raises EConvertError.
std::int32_t StrToInt(std::string_view text);

// The same conversion reporting failure instead of raising, for loops over many cells.
bool TryStrToInt(std::string_view text, std::int32_t& value);

// The same conversion giving `fallback` instead of raising.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// Decimal number with "." as the decimal point whatever the user's locale: an optional sign,
// digits with at most one point, an optional exponent. Anything else raises EConvertError.
double StrToFloat(std::string_view text);

std::string IntToStr(std::int64_t value);

// Upper case of the ASCII letters only; other bytes stay as they are.
std::string UpperCaseAscii(std::string_view text);
