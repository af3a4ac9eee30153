#pragma once

#include <string>

// The satellite table as the satellites-in-view handler sees it: controls found by component
// name ("LabelNumSatellites", "LabelSat%.2d", "ProgressBarSat%.2d"). A name that matches no
// control is skipped.
class SatelliteTable {
public:
    virtual ~SatelliteTable() = default;
    virtual void SetLabelCaption(const std::string& name, const std::string& caption) = 0;
    virtual void SetProgressPosition(const std::string& name, int position) = 0;
};
