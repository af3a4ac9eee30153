#pragma once

#include <optional>
#include <string>

// The user's home folder: HOME, or the user's entry in the system's user database when HOME is
// unset or empty (a service started without it). Nothing when neither names one.
std::optional<std::string> HomeFolder();
