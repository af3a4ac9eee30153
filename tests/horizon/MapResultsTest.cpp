#include "horizon/MapResults.h"
#include "horizon/HorizonGrid.h"
#include "imaging/TExtBitmap.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

class Results : public testing::Test {
protected:
    void SetUp() override {
        TStringList live = NewGrid();
        // Open sky to the south from 10 degrees up, and a weaker signal low in the east.
        for (int elevation = 10; elevation <= 90; ++elevation) {
            FoldReport(live, 180, elevation, 45);
        }
        FoldReport(live, 90, 5, 35);
        live.SaveToFile(folder.File("Skyfence.dat"));
        TStringList moved = NewGrid();
        FoldReport(moved, 90, 20, 40);
        moved.SaveToFile(folder.File("moved.dat"));
        grids.SetUp(folder.Path());
    }
    PaletteSetting Setting() const { return PaletteSetting(SettingsKey, folder.File("reg")); }
    static TExtBitmap Target() {
        TExtBitmap target;
        target.SetPixelFormat(TPixelFormat::pf8bit);
        target.SetSize(540, 273);
        target.MakeGreyPalette();
        return target;
    }
    static QImage Drawn(const std::function<void(TExtBitmap&)>& draw) {
        TExtBitmap target = Target();
        draw(target);
        return target.Image().convertToFormat(QImage::Format_RGB32);
    }

    TemporaryFolder folder;
    HorizonGrids grids;
    MapResults results{grids, Setting()};
};

struct ExportCase {
    const char* name;
    const char* loaded;   // the file tab's map, none when null
    const char* compared; // and the map compared with it
    bool loadedView;
    ExportKind kind;
    const char* expected; // how the file starts, or what the error says
    bool fails;
};

void PrintTo(const ExportCase& c, std::ostream* out) {
    *out << c.name;
}

class Exports : public Results, public testing::WithParamInterface<ExportCase> {};

TEST_P(Exports, TakeTheMapOfTheViewOrSayWhyNot) {
    const ExportCase& c = GetParam();
    if (c.loaded) {
        results.Load(folder.File(c.loaded));
    }
    if (c.compared) {
        results.Compare(folder.File(c.compared));
    }
    const std::string path = folder.File("export");
    const auto save = [&] {
        (c.loadedView ? results.LoadedExport() : results.LiveExport()).Save(c.kind, path, {});
    };
    if (c.fails) {
        try {
            save();
            ADD_FAILURE() << "no error";
        } catch (const std::exception& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.expected));
        }
        return;
    }
    save();
    EXPECT_THAT(ReadFileBytes(path), StartsWith(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Exports,
    testing::Values(ExportCase{"live_cells", nullptr, nullptr, false, ExportKind::Cells,
                               "azimuth,elevation,snr\n90,5,35\n180,10,45\n", false},
                    ExportCase{"live_profile", nullptr, nullptr, false, ExportKind::Profile,
                               "azimuth,elevation\n0,\n", false},
                    ExportCase{"loaded_cells", "moved.dat", nullptr, true, ExportKind::Cells,
                               "azimuth,elevation,snr\n90,20,40\n", false},
                    ExportCase{"live_while_loaded", "moved.dat", nullptr, false, ExportKind::Cells,
                               "azimuth,elevation,snr\n90,5,35\n", false},
                    ExportCase{"nothing_loaded", nullptr, nullptr, true, ExportKind::Cells,
                               "No map is loaded", true},
                    ExportCase{"difference_cells", "Skyfence.dat", "moved.dat", true,
                               ExportKind::Cells, "azimuth,elevation,difference\n", false},
                    ExportCase{"difference_profile", "Skyfence.dat", "moved.dat", true,
                               ExportKind::Profile, "no horizon profile", true}),
    CaseName());

TEST_F(Results, CompareNeedsALoadedMapAndLoadingAgainEndsTheDifference) {
    EXPECT_THROW(results.Compare(folder.File("moved.dat")), std::exception);
    EXPECT_FALSE(results.Difference().has_value());

    results.Load(folder.File("Skyfence.dat"));
    results.Compare(folder.File("moved.dat"));
    ASSERT_TRUE(results.Difference().has_value());
    EXPECT_EQ(results.Difference()->At(90, 20), 40);
    EXPECT_EQ(results.Difference()->At(180, 10), -45);
    const QImage difference = Drawn([&](TExtBitmap& t) { results.DrawLoaded(t); });

    // A file that cannot be read keeps the difference in view.
    EXPECT_THROW(results.Load(folder.File("gone.dat")), std::exception);
    EXPECT_TRUE(results.Difference().has_value());
    results.Load(folder.File("moved.dat"));
    EXPECT_FALSE(results.Difference().has_value());
    EXPECT_NE(Drawn([&](TExtBitmap& t) { results.DrawLoaded(t); }), difference);
}

TEST_F(Results, PaletteIsKeptForTheNextRunAndGreyDrawsAsItAlwaysDid) {
    const QImage grey = Drawn([&](TExtBitmap& t) { results.DrawLive(t); });
    results.Settings().Colours = Palette::Viridis;
    results.SavePalette();
    const QImage colour = Drawn([&](TExtBitmap& t) { results.DrawLive(t); });
    EXPECT_NE(colour, grey);

    MapResults next(grids, Setting());
    EXPECT_EQ(next.Settings().Colours, Palette::Grey);
    next.RestorePalette();
    EXPECT_EQ(next.Settings().Colours, Palette::Viridis);
    EXPECT_EQ(Drawn([&](TExtBitmap& t) { next.DrawLive(t); }), colour);
    next.Settings().Colours = Palette::Grey;
    EXPECT_EQ(Drawn([&](TExtBitmap& t) { next.DrawLive(t); }), grey);
}

TEST_F(Results, LivePlotShowsTheChosenSystemsMap) {
    const QImage combined = Drawn([&](TExtBitmap& t) { results.DrawLive(t); });
    results.SetSystem(SatelliteSystem::Galileo);
    EXPECT_NE(Drawn([&](TExtBitmap& t) { results.DrawLive(t); }), combined);
    results.SetSystem(std::nullopt);
    EXPECT_EQ(Drawn([&](TExtBitmap& t) { results.DrawLive(t); }), combined);
}

} // namespace
