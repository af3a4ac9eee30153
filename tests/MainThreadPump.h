#pragma once

#include <functional>

// Runs the calls other threads hand to the main thread until `done` holds; false if it never
// does within a generous bound (a hung test must end).
bool PumpUntil(const std::function<bool()>& done);
