#include "horizon/MapResults.h"
#include "horizon/HorizonGrid.h"
#include "horizon/MapPicture.h"
#include "horizon/ObservationsFile.h"
#include "horizon/PlotGeometry.h"
#include "horizon/SkyClassesPlot.h"
#include "imaging/TExtBitmap.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

// `reports` reports of a satellite in each cell of azimuths `from`..`to`, elevations `low`..`high`,
// heard at `snr` (not heard for 0).
void Report(MapObservations& observations, std::pair<int, int> azimuths,
            std::pair<int, int> elevations, int snr, int reports = 1) {
    const MapObservations::Time start{std::chrono::seconds(1'700'000'000)};
    for (int azimuth = azimuths.first; azimuth <= azimuths.second; ++azimuth) {
        for (int elevation = elevations.first; elevation <= elevations.second; ++elevation) {
            for (int report = 0; report < reports; ++report) {
                observations.Add(5, azimuth, elevation, snr, start + std::chrono::seconds(report));
            }
        }
    }
}

// A cell of the map and the class it shows.
struct Probe {
    int azimuth;
    int elevation;
    SkyClass expected;
};

// The colour of the probe's cell in a plot laid out as PlotHorizon does in `area` of `image`.
QRgb CellColour(const QImage& image, QRect area, const Probe& probe) {
    const PlotPoint centre =
        PlotGeometry(false, area.width(), area.height()).CellCentre(probe.azimuth, probe.elevation);
    return image.pixel(area.left() + static_cast<int>(centre.X),
                       area.top() + static_cast<int>(centre.Y)) &
           0xFFFFFFU;
}

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

// The observations beside the maps: the combined live map open to the south, Galileo's walled
// to the east; "moved.dat" heard only weakly; "plain.dat" without observations, "damaged.dat"
// beside a file that is none.
class SiteAssessment : public Results {
protected:
    void SetUp() override {
        Results::SetUp();
        Report(grids.Observations, {170, 190}, {10, 90}, 45);
        Report(grids.Systems.ObtainObservations(SatelliteSystem::Galileo), {80, 100}, {0, 20}, 0,
               SkyClasses::BlockedReports);
        MapObservations weak;
        Report(weak, {80, 100}, {20, 40}, 20);
        SaveObservations(folder.File("moved.obs"), weak);
        for (const char* name : {"plain.dat", "damaged.dat"}) {
            NewGrid().SaveToFile(folder.File(name));
        }
        WriteFileBytes(folder.File("damaged.obs"), "not observations");
    }
    // The live plot's system, the file plot's map and the map compared with it (none for null).
    void View(std::optional<SatelliteSystem> system, const char* loaded, const char* compared) {
        results.SetSystem(system);
        if (loaded) {
            results.Load(folder.File(loaded));
        }
        if (compared) {
            results.Compare(folder.File(compared));
        }
    }
};

struct ClassesCase {
    const char* name;
    const char* loaded; // the file tab's map; the live one when null
    std::optional<SatelliteSystem> system;
    std::vector<Probe> probes; // none: the map is drawn as without the classes
    const char* note;          // what the user is told once, if anything
};

void PrintTo(const ClassesCase& c, std::ostream* out) {
    *out << c.name;
}

class Classes : public SiteAssessment, public testing::WithParamInterface<ClassesCase> {};

// The plot and the exported picture alike.
TEST_P(Classes, AreDrawnForTheMapInViewWhereItHasObservations) {
    const ClassesCase& c = GetParam();
    View(c.system, c.loaded, nullptr);
    const auto draw = [&](TExtBitmap& t) {
        c.loaded ? results.DrawLoaded(t) : results.DrawLive(t);
    };
    const QImage map = Drawn(draw);
    results.Settings().Classes = true;
    const QImage drawn = Drawn(draw);
    const std::string path = folder.File("picture.png");
    const QSize size(800, 600);
    (c.loaded ? results.LoadedExport() : results.LiveExport()).SavePicture(path, size);
    const QImage exported(QString::fromStdString(path));

    if (c.probes.empty()) {
        EXPECT_EQ(drawn, map);
    }
    for (const Probe& probe : c.probes) {
        const QRgb colour = SkyClassColour(probe.expected) & 0xFFFFFFU;
        EXPECT_EQ(CellColour(drawn, drawn.rect(), probe), colour)
            << probe.azimuth << "," << probe.elevation;
        EXPECT_EQ(CellColour(exported, MapPicture(size, false).PlotArea(), probe), colour)
            << probe.azimuth << "," << probe.elevation;
    }
    const std::optional<std::string> note = results.TakeNote();
    if (c.note) {
        ASSERT_TRUE(note.has_value());
        EXPECT_THAT(*note, HasSubstr(c.note));
    } else {
        EXPECT_EQ(note, std::nullopt);
    }
    EXPECT_EQ(results.TakeNote(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, Classes,
    testing::Values(
        ClassesCase{"live_combined",
                    nullptr,
                    std::nullopt,
                    {{180, 45, SkyClass::Open}, {90, 10, SkyClass::Unseen}},
                    nullptr},
        ClassesCase{"live_system",
                    nullptr,
                    SatelliteSystem::Galileo,
                    {{90, 10, SkyClass::Blocked}, {180, 45, SkyClass::Unseen}},
                    nullptr},
        // The live map's choice of system does not reach the loaded map.
        ClassesCase{"loaded_beside_its_observations",
                    "moved.dat",
                    SatelliteSystem::Galileo,
                    {{90, 30, SkyClass::Weak}, {90, 10, SkyClass::Unseen}},
                    nullptr},
        ClassesCase{"loaded_without_observations", "plain.dat", std::nullopt, {}, "plain.obs"},
        ClassesCase{
            "loaded_beside_damaged_observations", "damaged.dat", std::nullopt, {}, "damaged.obs"}),
    CaseName());

TEST_F(SiteAssessment, DifferenceIsDrawnAsAlwaysAndEachLoadIsToldAgain) {
    results.Settings().Classes = true;
    results.Load(folder.File("plain.dat"));
    EXPECT_TRUE(results.TakeNote().has_value());
    results.Compare(folder.File("moved.dat"));
    const QImage difference = Drawn([&](TExtBitmap& t) { results.DrawLoaded(t); });
    results.Settings().Classes = false;
    EXPECT_EQ(Drawn([&](TExtBitmap& t) { results.DrawLoaded(t); }), difference);

    results.Load(folder.File("plain.dat"));
    EXPECT_EQ(results.TakeNote(), std::nullopt) << "classes not chosen";
    results.Settings().Classes = true;
    EXPECT_TRUE(results.TakeNote().has_value());
}

struct MaskCase {
    const char* name;
    const char* loaded;
    const char* compared;
    bool loadedView;
    std::optional<SatelliteSystem> system;
    const char* expected; // in the mask's file, or in the error
    bool fails;
};

void PrintTo(const MaskCase& c, std::ostream* out) {
    *out << c.name;
}

class Masks : public SiteAssessment, public testing::WithParamInterface<MaskCase> {};

TEST_P(Masks, TakeTheOpenProfileOfTheMapInViewOrSayWhyNot) {
    const MaskCase& c = GetParam();
    View(c.system, c.loaded, c.compared);
    const std::string path = folder.File("mask.csv");
    try {
        (c.loadedView ? results.LoadedMask() : results.LiveMask()).Save(path);
        EXPECT_FALSE(c.fails) << "no error";
        EXPECT_THAT(ReadFileBytes(path), HasSubstr(c.expected));
    } catch (const std::exception& error) {
        EXPECT_TRUE(c.fails) << error.what();
        EXPECT_THAT(error.what(), HasSubstr(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Views, Masks,
    testing::Values(
        MaskCase{"live_while_loaded", "moved.dat", nullptr, false, std::nullopt, "\n180,10\n",
                 false},
        // Walled or weak wherever seen: nothing open to make a mask of.
        MaskCase{"live_system_never_open", nullptr, nullptr, false, SatelliteSystem::Galileo,
                 "seen open", true},
        MaskCase{"loaded_never_open", "moved.dat", nullptr, true, std::nullopt, "seen open", true},
        MaskCase{"loaded_without_observations", "plain.dat", nullptr, true, std::nullopt,
                 "plain.obs", true},
        MaskCase{"nothing_loaded", nullptr, nullptr, true, std::nullopt, "No map is loaded", true},
        MaskCase{"difference", "Skyfence.dat", "moved.dat", true, std::nullopt, "no horizon mask",
                 true}),
    CaseName());

TEST_F(SiteAssessment, ReportIsOfTheLiveMapsWhateverIsLoaded) {
    results.Load(folder.File("moved.dat"));
    const std::string path = folder.File("report.html");
    results.Report("Roof of the mill").Save(path);
    const std::string html = ReadFileBytes(path);
    EXPECT_THAT(html, HasSubstr("Roof of the mill"));
    EXPECT_THAT(html, HasSubstr("Galileo"));
    EXPECT_THAT(html, testing::Not(HasSubstr("moved")));
}

} // namespace
