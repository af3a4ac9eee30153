#pragma once

#include <string>
#include <string_view>

// Version resources hold UTF-16 texts; the system's texts are 8-bit in the locale's code page.
// Code page 65001 gives UTF-8; any other gives Latin-1, with "?" for what it cannot hold.
std::string Utf16ToCodePage(std::u16string_view text, int codePage);

// The reverse for UTF-8 input, as description files are written.
std::u16string Utf8ToUtf16(std::string_view text);

// The code page of the current locale (LC_CTYPE), as the rest of the system uses it.
int CurrentCodePage();
