#pragma once

#include "horizon/SatelliteTable.h"
#include "horizon/SatelliteTexts.h"
#include "platform/Formatting.h"

#include <string>

// A satellite table whose rows are controls named as in the window ("LabelNumSatellites",
// "LabelSat%.2d", "ProgressBarSat%.2d"), so that tests can speak of them as the user sees them.
class NamedSatelliteTable : public SatelliteTable {
public:
    virtual void SetLabelCaption(const std::string& name, const std::string& caption) = 0;
    virtual void SetProgressPosition(const std::string& name, int position) = 0;

    void ShowSatellitesInView(std::int32_t count) override {
        SetLabelCaption("LabelNumSatellites", SatellitesInViewText(count));
    }
    void ShowRow(std::int64_t row, const SatelliteReport& satellite) override {
        SetLabelCaption(Name("LabelSat", row), SatelliteRowText(satellite));
        SetProgressPosition(Name("ProgressBarSat", row), satellite.SNR);
    }
    void ClearRow(std::int64_t row) override {
        SetLabelCaption(Name("LabelSat", row), "");
        SetProgressPosition(Name("ProgressBarSat", row), 0);
    }

private:
    static std::string Name(const char* prefix, std::int64_t row) {
        std::string name = prefix;
        AppendInteger(name, row, 2);
        return name;
    }
};
