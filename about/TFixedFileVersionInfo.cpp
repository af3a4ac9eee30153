#include "TFixedFileVersionInfo.h"

#include "platform/VersionResource.h"

std::uint32_t TFixedFileVersionInfo::Field(std::size_t offset) const {
    if (!block_ || block_->size() < offset + 4) {
        return 0;
    }
    return ReadU32(*block_, offset);
}

TFileFlags TFixedFileVersionInfo::FileFlags() const {
    const std::uint32_t word = Field(28);
    TFileFlags flags;
    for (std::size_t i = 0; i < FileFlagValues.size(); ++i) {
        flags[i] = (word & FileFlagValues[i]) != 0;
    }
    return flags;
}
