#pragma once

#include "VersionDescription.h"

#include <cstdint>
#include <vector>

// The VS_VERSIONINFO block for a description: the fixed block, one string table for its
// translation, and the translation table.
std::vector<std::uint8_t> WriteVersionBlock(const VersionDescription& description);
