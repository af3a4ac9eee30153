#pragma once

#include "horizon/InViewSatellite.h"

#include <QScrollArea>

#include <optional>
#include <utility>
#include <vector>

class QLabel;
class TProgressBar;

// Every satellite in view, of every system, one row each with its bar, in rows that scroll: the
// "Satellites" tab under the all-systems receiver setting, where a sky of forty satellites and
// more would not fit the twelve rows of GPS alone.
class SkyTable : public QScrollArea {
public:
    explicit SkyTable(QWidget* parent = nullptr);

    // Held until Apply puts them on screen, as the window's other controls are.
    void SetSatellites(std::vector<InViewSatellite> satellites);
    void Apply();

    // The rows shown, for reading back.
    int RowCount() const { return shown_; }
    QString RowText(int row) const;
    int RowPosition(int row) const;

private:
    void EnsureRows(std::size_t count);

    QWidget* rows_ = nullptr;
    std::vector<std::pair<QLabel*, TProgressBar*>> controls_;
    std::optional<std::vector<InViewSatellite>> pending_;
    int shown_ = 0;
};
