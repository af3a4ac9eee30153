#pragma once

#include <string>

// The address a click on the web-site label opens: "http://" goes in front only of an address
// that names no scheme ("://"); empty for an empty caption, which opens nothing.
std::string WebAddressToOpen(const std::string& caption);
