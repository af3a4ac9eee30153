#pragma once

#include "VersionInfoTypes.h"

#include <cstdint>
#include <optional>
#include <span>

class TVersionInfoResource;

// Typed access to the fixed block of the owner's version data; all 0 without one.
class TFixedFileVersionInfo {
public:
    explicit TFixedFileVersionInfo(TVersionInfoResource& owner) : owner_(owner) {}

    // The block lies inside the owner's data, which keeps it alive until the next read.
    void SetBlock(std::optional<std::span<const std::uint8_t>> block) { block_ = block; }

    std::uint32_t FileVersionMS() const { return Field(8); }
    std::uint32_t FileVersionLS() const { return Field(12); }
    std::uint32_t ProductVersionMS() const { return Field(16); }
    std::uint32_t ProductVersionLS() const { return Field(20); }
    // From the flags word bit by bit; the block's mask is not applied.
    TFileFlags FileFlags() const;

    TVersionInfoResource& Owner() const { return owner_; }

private:
    std::uint32_t Field(std::size_t offset) const;

    TVersionInfoResource& owner_;
    std::optional<std::span<const std::uint8_t>> block_;
};
