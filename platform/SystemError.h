#pragma once

#include <string>

// The system's own words for an error number, such as "No space left on device".
std::string SystemErrorText(int errorNumber);

// "Cannot <action> "<path>": <reason>": the form of every file error the user sees.
std::string FileErrorText(const std::string& action, const std::string& path, int errorNumber);
std::string FileErrorText(const std::string& action, const std::string& path,
                          const std::string& reason);
