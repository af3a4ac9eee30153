#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits comma text into fields. Blanks and control characters around a field are not part of
// it, a blank inside an unquoted field ends it, two commas enclose an empty field, a final comma
// adds no field, and a field opening with a double quote runs to its closing quote (a doubled
// quote inside stands for one).
std::vector<std::string> SplitCommaText(std::string_view text);

// The same, into a list whose storage is reused: the hot path of every received sentence.
void SplitCommaText(std::string_view text, std::vector<std::string>& fields);

// Joins fields with single commas. A field holding a blank, control character, comma or quote is
// quoted, so that it splits back as one field.
std::string JoinCommaText(const std::vector<std::string>& fields);
void JoinCommaText(const std::vector<std::string>& fields, std::string& text);
