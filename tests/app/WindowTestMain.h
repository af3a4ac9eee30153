#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The messages the application's error handler has shown, in order.
std::vector<std::string>& ShownMessages();

// Runs the event loop and the port's deliveries until `done` holds; false if it never does within
// `limit` (a hung test must end).
bool PumpWindow(const std::function<bool()>& done,
                std::chrono::seconds limit = std::chrono::seconds(20));
