#pragma once

#include <string>

// The full path of the running program, from /proc/self/exe. Raises EFileError if unknown.
std::string ExecutablePath();

// Its folder, with the trailing "/".
std::string ExecutableFolder();
