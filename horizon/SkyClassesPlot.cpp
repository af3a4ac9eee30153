#include "SkyClassesPlot.h"

#include "GridCellValues.h"
#include "HorizonPlot.h"
#include "HorizonProfileLine.h"
#include "PlotLegend.h"

#include <vector>

QRgb SkyClassColour(SkyClass skyClass) {
    switch (skyClass) {
    case SkyClass::Open:
        return 0xFF009E73;
    case SkyClass::Weak:
        return 0xFFE69F00;
    case SkyClass::Blocked:
        return 0xFF6E2C1A;
    case SkyClass::Unseen:
        break;
    }
    return 0xFFDCDCDC;
}

void PlotSkyClassCells(TExtBitmap& target, const SkyClasses& classes, bool polar,
                       const OpenProfile* profileLine) {
    if (target.Width() < 1 || target.Height() < 1) {
        return;
    }
    GridCellValues cells;
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            cells.Set(q, e, static_cast<std::int32_t>(classes.At(q, e)));
        }
    }
    PlotCellColours(
        target, cells, polar,
        [](std::int32_t value) { return SkyClassColour(static_cast<SkyClass>(value)); },
        0xFFFFFFFF);
    if (profileLine != nullptr) {
        ProfileElevations elevations{};
        for (int q = 0; q < GridAzimuths; ++q) {
            elevations[static_cast<std::size_t>(q)] = profileLine->Elevation(q);
        }
        DrawProfileLine(target, elevations, polar, OpenProfileLineColour);
    }
}

void PlotSkyClasses(TExtBitmap& target, const SkyClasses& classes, bool polar,
                    const OpenProfile* profileLine) {
    PlotSkyClassCells(target, classes, polar, profileLine);
    std::vector<LegendEntry> key;
    for (const SkyClass skyClass : KeyedSkyClasses) {
        key.push_back({SkyClassName(skyClass), SkyClassColour(skyClass)});
    }
    DrawCategoryLegend(target, key);
}
