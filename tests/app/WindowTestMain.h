#pragma once

#include <string>
#include <vector>

// The messages the application's error handler has shown, in order.
std::vector<std::string>& ShownMessages();
