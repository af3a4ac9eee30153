#include "ObstructionMask.h"

namespace {

bool Covers(const ObstructionMask::Sector& sector, double azimuth, double elevation) {
    if (elevation >= sector.belowElevation) {
        return false;
    }
    if (sector.fromAzimuth <= sector.toAzimuth) {
        return azimuth >= sector.fromAzimuth && azimuth < sector.toAzimuth;
    }
    return azimuth >= sector.fromAzimuth || azimuth < sector.toAzimuth;
}

} // namespace

ObstructionMask ObstructionMask::BuildingAndTrees() {
    return ObstructionMask({{200, 250, 40, std::nullopt}, {300, 340, 25, 12.0}});
}

std::optional<double> ObstructionMask::LossDb(double azimuth, double elevation) const {
    double loss = 0;
    for (const Sector& sector : sectors_) {
        if (!Covers(sector, azimuth, elevation)) {
            continue;
        }
        if (!sector.lossDb) {
            return std::nullopt;
        }
        loss += *sector.lossDb;
    }
    return loss;
}
