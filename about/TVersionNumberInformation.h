#pragma once

#include <cstdint>
#include <string>

// One four-part version (file or product) and the text its author wrote for it.
class TVersionNumberInformation {
public:
    TVersionNumberInformation(std::uint32_t ms, std::uint32_t ls) : MS(ms), LS(ls) {}

    // 0 when not valid or for an index outside 0..3.
    int VersionPart(int index) const;
    // The author's text when there is one; else "a.b.c.d"; empty when not valid.
    std::string AsText() const;

    bool Valid = false;
    std::uint32_t MS;
    std::uint32_t LS;
    std::string Text;
};
