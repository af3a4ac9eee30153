#pragma once

#include <string>
#include <string_view>

// The degree sign in the code page of the user's locale, set once at program start.
extern std::string DegreeSign;

// The code page that corresponds to a locale's codeset name ("UTF-8" gives 65001, "ISO-8859-1"
// 1252, "SHIFT_JIS" 932 ...); 0 for a codeset with no such number.
int CodePageOfCodeset(std::string_view codeset);

// 932: 81 8B, 936: A1 E3, 950: A2 58, 65001: C2 B0 (a lone B0 is not UTF-8); any other: B0.
std::string DegreeSignForCodePage(int codePage);

// Sets DegreeSign from the codeset of the current locale (LC_CTYPE).
void InitDegreeSign();
void ClearDegreeSign();
