#include "horizon/SkyClassesPlot.h"
#include "horizon/MapPicture.h"
#include "horizon/PlotGeometry.h"
#include "horizon/PngFile.h"

#include "ConstructedSite.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

namespace {

struct Probe {
    int azimuth, elevation;
    SkyClass expected;
};

// A cell inside the wall, the tree, the gap no satellite crossed and the open sky: away from the
// open profile and the picture's rings.
constexpr std::array Probes{Probe{225, 10, SkyClass::Blocked}, Probe{0, 10, SkyClass::Weak},
                            Probe{105, 45, SkyClass::Unseen}, Probe{120, 70, SkyClass::Open}};

const ConstructedSite& Site() {
    static const ConstructedSite site;
    return site;
}

struct LayoutCase {
    const char* name;
    bool polar;
    int width, height;
};

class SkyClassesLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SkyClassesLayout, EachCellInTheColourOfItsClassWithKeyAndOpenProfile) {
    const LayoutCase& c = GetParam();
    const SkyClasses classes(Site().Observations, 30);
    const OpenProfile profile(classes);
    TExtBitmap target;
    target.SetPixelFormat(TPixelFormat::pf8bit);
    target.SetSize(c.width, c.height);
    PlotSkyClasses(target, classes, c.polar, &profile);
    const QImage image = target.Image();
    const PlotGeometry geometry(c.polar, c.width, c.height);
    const auto cell = [&](int azimuth, int elevation) {
        const PlotPoint at = geometry.CellCentre(azimuth, elevation);
        return image.pixel(static_cast<int>(at.X), static_cast<int>(at.Y));
    };
    for (const Probe& probe : Probes) {
        EXPECT_EQ(cell(probe.azimuth, probe.elevation), SkyClassColour(probe.expected))
            << probe.azimuth << "," << probe.elevation << " " << SkyClassName(probe.expected);
    }
    // The open profile runs along the top of the wall and of the tree.
    EXPECT_EQ(cell(225, 30), OpenProfileLineColour);
    EXPECT_EQ(cell(0, 15), OpenProfileLineColour);

    // The key in the top right corner: a swatch of each class, and its names in black.
    const QRect corner(c.width - 112, 0, 112, 29);
    std::array<int, KeyedSkyClasses.size()> swatches{};
    int ink = 0;
    for (int y = corner.top(); y <= corner.bottom(); ++y) {
        for (int x = corner.left(); x <= corner.right(); ++x) {
            for (std::size_t i = 0; i < KeyedSkyClasses.size(); ++i) {
                swatches[i] += image.pixel(x, y) == SkyClassColour(KeyedSkyClasses[i]) ? 1 : 0;
            }
            ink += qGray(image.pixel(x, y)) < 64 ? 1 : 0;
        }
    }
    for (std::size_t i = 0; i < KeyedSkyClasses.size(); ++i) {
        EXPECT_NEAR(swatches[i], 64, 4) << SkyClassName(KeyedSkyClasses[i]);
    }
    EXPECT_GT(ink, 40);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SkyClassesLayout,
                         testing::Values(LayoutCase{"rectangular", false, 720, 182},
                                         LayoutCase{"rectangular_window", false, 540, 273},
                                         LayoutCase{"polar", true, 540, 362}),
                         CaseName());

// Those who do not see red from green still tell the classes apart by their lightness.
TEST(SkyClassColour, TheFourDifferInLightness) {
    for (std::size_t i = 0; i < KeyedSkyClasses.size(); ++i) {
        for (std::size_t j = i + 1; j < KeyedSkyClasses.size(); ++j) {
            const QRgb one = SkyClassColour(KeyedSkyClasses[i]);
            const QRgb other = SkyClassColour(KeyedSkyClasses[j]);
            EXPECT_GT(std::abs(qGray(one) - qGray(other)), 25)
                << SkyClassName(KeyedSkyClasses[i]) << " / " << SkyClassName(KeyedSkyClasses[j]);
        }
    }
}

class SkyClassesPicture : public testing::TestWithParam<LayoutCase> {};

TEST_P(SkyClassesPicture, AnnotatedWithTheKeyInPlaceOfTheScale) {
    const LayoutCase& c = GetParam();
    const SkyClasses classes(Site().Observations, 30);
    const OpenProfile profile(classes);
    const MapPicture layout(QSize(c.width, c.height), c.polar);
    const QImage picture = layout.Draw(classes, &profile);
    ASSERT_EQ(picture.size(), QSize(c.width, c.height));

    const QRect plot = layout.PlotArea();
    const PlotGeometry geometry(c.polar, plot.width(), plot.height());
    for (const Probe& probe : Probes) {
        const PlotPoint at = geometry.CellCentre(probe.azimuth, probe.elevation);
        EXPECT_EQ(picture.pixel(plot.left() + static_cast<int>(at.X),
                                plot.top() + static_cast<int>(at.Y)),
                  SkyClassColour(probe.expected))
            << probe.azimuth << "," << probe.elevation;
    }
    // Down the scale's column, the classes' swatches in the key's order.
    const QRect bar = layout.ScaleBar();
    const auto isKeyed = [](QRgb colour) {
        return std::ranges::any_of(KeyedSkyClasses, [colour](SkyClass skyClass) {
            return SkyClassColour(skyClass) == colour;
        });
    };
    std::vector<QRgb> swatches;
    for (int y = bar.top(); y < picture.height(); ++y) {
        const QRgb colour = picture.pixel(bar.center().x(), y);
        if (isKeyed(colour) && (swatches.empty() || swatches.back() != colour)) {
            swatches.push_back(colour);
        }
    }
    std::vector<QRgb> expected;
    for (const SkyClass skyClass : KeyedSkyClasses) {
        expected.push_back(SkyClassColour(skyClass));
    }
    EXPECT_EQ(swatches, expected);

    const std::filesystem::path output(SKYFENCE_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    SavePng((output / (std::string("sky-classes-") + c.name + ".png")).string(), picture);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SkyClassesPicture,
                         testing::Values(LayoutCase{"rectangular", false, 960, 360},
                                         LayoutCase{"polar", true, 600, 480},
                                         LayoutCase{"polar_smallest", true, 240, 160}),
                         CaseName());

} // namespace
