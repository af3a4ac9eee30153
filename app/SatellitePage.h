#pragma once

#include <QWidget>

class SkyTable;

// The "Satellites" tab: twelve rows of a label and a signal bar for the GPS satellites in view,
// and the table of every satellite that takes their place under the all-systems setting.
class SatellitePage : public QWidget {
public:
    // The first row, as the design has it, and the table, hidden.
    SatellitePage();

    // Rows 2 to 12 below the first, each a pitch lower, named by their number.
    void AddRows();
    SkyTable& Table() { return *table_; }

private:
    SkyTable* table_ = nullptr;
};
