#pragma once

#include "app/SatelliteTable.h"

// A satellite table with no controls: a replay has no window to show the satellites in.
class SilentSatelliteTable : public SatelliteTable {
public:
    void SetLabelCaption(const std::string&, const std::string&) override {}
    void SetProgressPosition(const std::string&, int) override {}
};
