#pragma once

#include "DifferenceMap.h"
#include "PlotSettings.h"
#include "SkyClasses.h"
#include "platform/TStringList.h"

#include <QImage>
#include <QSize>

#include <optional>
#include <string>

// What a user takes away of a map.
enum class ExportKind { Picture, Cells, Profile };

// "picture", "cells" or "profile": how dialogs and file names call it.
const char* ExportKindName(ExportKind kind);

// One map as a user takes it away: the annotated picture, the raised cells and the horizon
// profile, each written atomically and failing with a message that names the file. A map of
// received signal or the difference of two; the window exports whichever its tab shows. Where
// the plot shows the map's sky classes, so does the picture (the tables stay the map's).
class MapExport {
public:
    MapExport(TStringList grid, const PlotSettings& settings,
              std::optional<SkyClasses> classes = std::nullopt);
    MapExport(DifferenceMap difference, bool polar);

    // The annotated picture, and the tables' text, as the files below hold them: for a page that
    // serves them without a file.
    QImage Picture(QSize size) const;
    std::string Cells() const;
    // A difference has no horizon: raises Exception saying so.
    std::string Profile() const;

    void SavePicture(const std::string& path, QSize size) const;
    void SaveCells(const std::string& path) const;
    // A difference has no horizon: raises Exception saying so.
    void SaveProfile(const std::string& path) const;
    // The export of `kind`; `size` is the picture's, unused by the tables.
    void Save(ExportKind kind, const std::string& path, QSize size) const;

private:
    TStringList grid_;
    PlotSettings settings_;
    std::optional<DifferenceMap> difference_;
    std::optional<SkyClasses> classes_;
};
