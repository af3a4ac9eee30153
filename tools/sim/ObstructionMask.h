#pragma once

#include <optional>
#include <utility>
#include <vector>

// What stands around the antenna: sectors of the sky, each from the horizon up to some
// elevation, that either block a satellite's signal or weaken it.
class ObstructionMask {
public:
    struct Sector {
        // Clockwise from `fromAzimuth` to `toAzimuth`, which may pass north (350 to 10).
        double fromAzimuth = 0;
        double toAzimuth = 0;
        double belowElevation = 0;
        // The dB the signal loses; nothing where it does not get through at all.
        std::optional<double> lossDb;
    };

    ObstructionMask() = default;
    explicit ObstructionMask(std::vector<Sector> sectors) : sectors_(std::move(sectors)) {}

    // A building from azimuth 200 to 250 up to 40 degrees, a tree line from 300 to 340 up to 25
    // degrees that takes 12 dB.
    static ObstructionMask BuildingAndTrees();

    // The dB lost on the way from that direction; nothing when a sector blocks it. Where
    // sectors overlap, the losses add up.
    std::optional<double> LossDb(double azimuth, double elevation) const;

private:
    std::vector<Sector> sectors_;
};
