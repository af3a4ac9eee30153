#include "ProgramIcon.h"

#include <array>

QIcon ProgramIcon() {
    // Drawn by scripts/make-icon; each size is drawn for itself, so small ones stay sharp.
    constexpr std::array Sizes = {16, 32, 48, 64, 128, 256};
    QIcon icon;
    for (const int size : Sizes) {
        icon.addFile(QStringLiteral(":/icons/skyfence-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
