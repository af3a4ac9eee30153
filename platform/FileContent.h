#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads the whole file into `content`, appending; on failure `content` keeps what was read and
// the system's error number is returned (0 on success). A file larger than `maxSize` gives EFBIG.
// The file is opened without blocking, so a pipe put in its place cannot hang the program.
int ReadFileContent(const std::string& path, std::size_t maxSize, std::string& content);

// Blanks and tabs around a name or value are not part of it.
std::string_view TrimBlanks(std::string_view text);

// Names of keys, values and sections match regardless of ASCII letter case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
