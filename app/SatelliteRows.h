#pragma once

#include "horizon/SatelliteTable.h"

#include <QString>

#include <array>
#include <functional>
#include <string>
#include <utility>

class ControlUpdates;
class QLabel;
class QWidget;
class SkyTable;
class TProgressBar;

// The satellite table of the window's "Satellites" tab as the receive path sees it: the count
// label, rows 01 to 12 ("LabelSat%.2d", "ProgressBarSat%.2d") and, under the all-systems setting,
// the sky table. Changes go through `updates`; `changed` is told that one waits to be shown.
class SatelliteRows : public SatelliteTable {
public:
    SatelliteRows(ControlUpdates& updates, std::function<void()> changed);

    // Finds the controls in `window` by name, once rather than for every sentence.
    void Index(const QWidget& window, SkyTable& sky);

    void ShowSatellitesInView(std::int32_t count) override;
    void ShowRow(std::int64_t row, const SatelliteReport& satellite) override;
    void ClearRow(std::int64_t row) override;
    void ShowSky(const SkyView& sky) override;

private:
    void SetRow(std::int64_t row, std::string caption, int position);

    ControlUpdates& updates_;
    std::function<void()> changed_;
    QLabel* count_ = nullptr;
    std::array<std::pair<QLabel*, TProgressBar*>, 12> rows_{};
    SkyTable* sky_ = nullptr;
};
