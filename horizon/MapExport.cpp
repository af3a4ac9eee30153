#include "MapExport.h"

#include "HorizonProfile.h"
#include "MapCsv.h"
#include "MapPicture.h"
#include "OpenProfile.h"
#include "PngFile.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"

const char* ExportKindName(ExportKind kind) {
    switch (kind) {
    case ExportKind::Picture:
        return "picture";
    case ExportKind::Cells:
        return "cells";
    case ExportKind::Profile:
        break;
    }
    return "profile";
}

MapExport::MapExport(TStringList grid, const PlotSettings& settings,
                     std::optional<SkyClasses> classes)
    : grid_(std::move(grid)), settings_(settings), classes_(std::move(classes)) {}

MapExport::MapExport(DifferenceMap difference, bool polar) : difference_(std::move(difference)) {
    settings_.Polar = polar;
}

QImage MapExport::Picture(QSize size) const {
    const MapPicture picture(size, settings_.Polar);
    if (classes_) {
        const OpenProfile profile(*classes_);
        return picture.Draw(*classes_, settings_.ProfileLine ? &profile : nullptr);
    }
    return difference_ ? picture.Draw(*difference_) : picture.Draw(grid_, settings_);
}

std::string MapExport::Cells() const {
    return difference_ ? DifferenceCsv(*difference_) : CellsCsv(grid_);
}

std::string MapExport::Profile() const {
    if (difference_) {
        throw Exception("A difference of two maps has no horizon profile; export it from the map "
                        "itself.");
    }
    return ProfileCsv(HorizonProfile(grid_, settings_.ProfileThreshold));
}

void MapExport::SavePicture(const std::string& path, QSize size) const {
    SavePng(path, Picture(size));
}

void MapExport::SaveCells(const std::string& path) const {
    AtomicFileWriter::WriteFile(path, Cells());
}

void MapExport::SaveProfile(const std::string& path) const {
    AtomicFileWriter::WriteFile(path, Profile());
}

void MapExport::Save(ExportKind kind, const std::string& path, QSize size) const {
    switch (kind) {
    case ExportKind::Picture:
        SavePicture(path, size);
        return;
    case ExportKind::Cells:
        SaveCells(path);
        return;
    case ExportKind::Profile:
        break;
    }
    SaveProfile(path);
}
