#pragma once

#include "horizon/Palette.h"

#include <QMenu>

#include <functional>
#include <utility>
#include <vector>

class MapResults;
class QAction;
struct PlotSettings;

// The live plot's context menu: how both plots are drawn (averaging, filling, layout, sky
// classes, profile line and its threshold, colours) and which map the live one shows. A choice goes
// into the results at once, and the plots it changes are drawn again.
class PlotMenu : public QMenu {
public:
    enum class Plots { Live, Both };

    // `results` outlives the menu; `replot` draws the plots a choice changed.
    PlotMenu(QWidget* parent, MapResults& results, std::function<void(Plots plots)> replot);

    // Takes the palette kept by the last run and checks it.
    void RestorePalette();

private:
    // An item that switches `setting` on and off.
    void AddCheckable(const char* name, const char* caption, bool PlotSettings::*setting);

    MapResults& results_;
    std::function<void(Plots plots)> replot_;
    std::vector<std::pair<Palette, QAction*>> palettes_;
};
