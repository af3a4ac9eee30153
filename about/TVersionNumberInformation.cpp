#include "TVersionNumberInformation.h"

int TVersionNumberInformation::VersionPart(int index) const {
    if (!Valid) {
        return 0;
    }
    switch (index) {
    case 0:
        return static_cast<int>(MS >> 16);
    case 1:
        return static_cast<int>(MS & 0xFFFF);
    case 2:
        return static_cast<int>(LS >> 16);
    case 3:
        return static_cast<int>(LS & 0xFFFF);
    default:
        return 0;
    }
}

std::string TVersionNumberInformation::AsText() const {
    if (!Valid) {
        return {};
    }
    if (!Text.empty()) {
        return Text;
    }
    return std::to_string(VersionPart(0)) + "." + std::to_string(VersionPart(1)) + "." +
           std::to_string(VersionPart(2)) + "." + std::to_string(VersionPart(3));
}
