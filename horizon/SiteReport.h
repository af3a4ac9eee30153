#pragma once

#include "PlotSettings.h"
#include "SiteMap.h"

#include <QSize>

#include <string>
#include <vector>

// One self-contained report on a site, to keep in a site log or to mail: the site's name, the
// period observed, the mean position, the SiteNumbers, the combined map as a polar picture, its
// sky classes, its open profile, and the map of each system heard. The HTML carries its pictures
// inside (data: addresses), so that one file is the whole report; the PDF is written by Qt's own
// PDF writer. Drawing needs the application object (QGuiApplication).
class SiteReport {
public:
    // The pictures, in this order: the combined map and its classes (polar), the classes with the
    // open profile (rectangular), then each system heard (polar).
    static constexpr QSize PolarPicture{600, 480};
    static constexpr QSize RectangularPicture{960, 360};

    // `maps` holds the combined map first, then those of the systems (may be none). The settings
    // give the palette and the threshold of the profile and classes. Raises Exception without a
    // combined map or where a map lacks its grid or its observations.
    SiteReport(std::string siteName, std::vector<SiteMap> maps, const PlotSettings& settings);

    std::string Html() const;
    std::string Pdf() const;

    // PDF for a name ending in ".pdf" (any letter case), HTML otherwise; written atomically,
    // EFileError naming the file when it cannot.
    void Save(const std::string& path) const;

private:
    std::string siteName_;
    std::vector<SiteMap> maps_;
    PlotSettings settings_;
};
