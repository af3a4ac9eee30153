#pragma once

#include <string_view>

// A promise of the code under test that a fuzz input broke: reported and aborted, so that the
// fuzzer keeps the input as a crash and a regression run fails.
void FuzzCheck(bool holds, std::string_view promise);
