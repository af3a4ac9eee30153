// The results a user keeps, from the window: the colour palette (kept between runs) and its key,
// the horizon profile line, the exports of the tab's map, the difference of two maps, and the
// site's assessment from the observations beside the maps.
#include "app/TFormSkyfence.h"
#include "horizon/HorizonGrid.h"
#include "horizon/ObservationsFile.h"
#include "horizon/PaletteSetting.h"
#include "horizon/PlotGeometry.h"
#include "horizon/SkyClassesPlot.h"
#include "imaging/TExtBitmap.h"
#include "platform/TRegistry.h"

#include "TemporaryFolder.h"
#include "WindowTestMain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>

namespace {

using testing::HasSubstr;
using testing::StartsWith;

class MapResultsWindow : public testing::Test {
protected:
    void SetUp() override {
        ShownMessages().clear();
        std::filesystem::remove(TRegistry::DefaultFile());
        TStringList grid = NewGrid();
        // Open sky to the south, up from 10 degrees.
        for (int elevation = 10; elevation <= 90; ++elevation) {
            FoldReport(grid, 180, elevation, 45);
        }
        // And a weaker signal low in the east.
        FoldReport(grid, 90, 5, 35);
        grid.SaveToFile(folder.File("Skyfence.dat"));
        TStringList moved = NewGrid();
        FoldReport(moved, 90, 20, 40);
        moved.SaveToFile(folder.File("moved.dat"));
    }
    void TearDown() override {
        form_.reset();
        std::filesystem::remove(TRegistry::DefaultFile());
    }
    TFormSkyfence& Start() {
        form_ = std::make_unique<TFormSkyfence>(folder.Path());
        form_->RunSetup = [](TCustomComPort&) {};
        form_->ChooseExportFile = [this](ExportKind kind) {
            return std::optional(folder.File(std::string("export-") + ExportKindName(kind)));
        };
        form_->ChoosePictureSize = [] { return std::optional(QSize(800, 600)); };
        form_->show();
        PumpWindow([&] { return !form_->findChild<QTimer*>("TimerRun")->isActive(); });
        ShownMessages().clear();
        return *form_;
    }
    void Trigger(const char* name) { form_->findChild<QAction*>(name)->trigger(); }
    std::string Exported(const char* kind) {
        return ReadFileBytes(folder.File(std::string("export-") + kind));
    }

    TemporaryFolder folder;
    std::unique_ptr<TFormSkyfence> form_;
};

TEST_F(MapResultsWindow, PaletteIsKeptBetweenRunsAndTheGreyPlotStaysAsItWas) {
    TFormSkyfence& form = Start();
    EXPECT_EQ(form.PlotPalette(), Palette::Grey);
    EXPECT_TRUE(form.findChild<QAction*>("MenuPopupPaletteGrey")->isChecked());
    EXPECT_EQ(form.LiveBitmap().PixelFormat(), TPixelFormat::pf8bit);
    const QImage grey = form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32);

    Trigger("MenuPopupPaletteViridis");
    EXPECT_EQ(form.LiveBitmap().PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_NE(form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), grey);
    EXPECT_EQ(PaletteSetting(TFormSkyfence::SettingsKey).Read(), Palette::Viridis);
    form_.reset();
    TFormSkyfence& again = Start();
    EXPECT_EQ(again.PlotPalette(), Palette::Viridis);
    EXPECT_TRUE(again.findChild<QAction*>("MenuPopupPaletteViridis")->isChecked());

    Trigger("MenuPopupPaletteGrey");
    EXPECT_EQ(again.LiveBitmap().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(again.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), grey);
}

TEST_F(MapResultsWindow, ProfileLineComesAndGoesWithItsMenuItem) {
    TFormSkyfence& form = Start();
    const QImage plain = form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32);
    Trigger("MenuPopupProfile");
    EXPECT_NE(form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), plain);
    const QImage at30 = form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32);
    // The east's 35 dB counts at 30 dB, not at 40: its piece of the line goes.
    Trigger("MenuPopupThreshold40");
    EXPECT_NE(form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), at30);
    Trigger("MenuPopupThreshold30");
    EXPECT_EQ(form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), at30);
    Trigger("MenuPopupProfile");
    EXPECT_EQ(form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32), plain);
}

// Each switch of the plot's menu redraws it at once, and switched back draws it as it was.
TEST_F(MapResultsWindow, PlotSwitchesRedrawTheLivePlot) {
    TFormSkyfence& form = Start();
    const auto drawn = [&] {
        return form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32);
    };
    const QImage plain = drawn();
    for (const char* name :
         {"MenuPopupFilled", "MenuPopupPolar", "MenuPopupClasses", "MenuPopupProfile"}) {
        Trigger(name);
        EXPECT_NE(drawn(), plain) << name;
        Trigger(name);
        EXPECT_EQ(drawn(), plain) << name;
    }
}

TEST_F(MapResultsWindow, ExportsTakeTheMapOfTheTabInView) {
    TFormSkyfence& form = Start();
    Trigger("MenuFileExportPicture");
    Trigger("MenuFileExportCells");
    Trigger("MenuFileExportProfile");
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(QImage(QString::fromStdString(folder.File("export-picture"))).size(),
              QSize(800, 600));
    EXPECT_THAT(Exported("cells"), StartsWith("azimuth,elevation,snr\n90,5,35\n180,10,45\n"));
    EXPECT_THAT(Exported("profile"), HasSubstr("\n179,\n180,10\n181,\n"));

    // Before and after: the map loaded first, then the one compared with it.
    const std::vector<std::string> chosen = {folder.File("Skyfence.dat"), folder.File("moved.dat")};
    std::size_t next = 0;
    QStringList titles;
    form.ChooseDataFile = [&] {
        titles << form.findChild<QFileDialog*>("OpenDialogLoadData")->windowTitle();
        return std::optional(chosen.at(next++));
    };
    Trigger("MenuFileLoadExistingResults");
    Trigger("MenuFileCompare");
    EXPECT_EQ(titles.join(" | ").toStdString(), "Load existing data file | Compare with");
    ASSERT_TRUE(form.Difference().has_value());
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControlMain")->currentWidget()->objectName(),
              "TabSheetLoadedData");
    Trigger("MenuFileExportCells");
    EXPECT_THAT(Exported("cells"), StartsWith("azimuth,elevation,difference\n"));
    Trigger("MenuFileExportProfile");
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("no horizon profile"));
}

TEST_F(MapResultsWindow, StatusAreaTellsWhereTheMapsAreKept) {
    TFormSkyfence& form = Start();
    EXPECT_FALSE(form.statusBar()->isVisible());
    form.TellDataFolder();
    // Passing over a menu does not wipe it.
    QStatusTipEvent tip(QString{});
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(form.statusBar()->currentMessage().toStdString(),
              "The maps are kept in " + folder.Path());
}

TEST_F(MapResultsWindow, CompareNeedsAMapLoadedFirst) {
    TFormSkyfence& form = Start();
    form.ChooseDataFile = [&] { return std::optional(folder.File("moved.dat")); };
    Trigger("MenuFileCompare");
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("Load the map"));
    EXPECT_FALSE(form.Difference().has_value());
}

// The classes of the live map's observations kept beside it, the site report, the horizon mask,
// and what the status area says of observations that could not be used.
TEST_F(MapResultsWindow, SiteAssessmentFromTheMenus) {
    MapObservations observations;
    const MapObservations::Time time{std::chrono::seconds(1'700'000'000)};
    for (int azimuth = 170; azimuth <= 190; ++azimuth) {
        for (int elevation = 10; elevation <= 90; ++elevation) {
            observations.Add(5, azimuth, elevation, 45, time);
        }
    }
    SaveObservations(folder.File("Skyfence.obs"), observations);
    NewGrid().SaveToFile(folder.File("Skyfence-GPS.dat"));
    WriteFileBytes(folder.File("Skyfence-GPS.obs"), "not observations");
    TFormSkyfence& form = Start();
    EXPECT_THAT(form.statusBar()->currentMessage().toStdString(), HasSubstr("Skyfence-GPS.obs"));

    Trigger("MenuPopupClasses");
    const QImage live = form.LiveBitmap().Image().convertToFormat(QImage::Format_RGB32);
    const PlotPoint open = PlotGeometry(false, live.width(), live.height()).CellCentre(180, 45);
    EXPECT_EQ(live.pixel(static_cast<int>(open.X), static_cast<int>(open.Y)) & 0xFFFFFFU,
              SkyClassColour(SkyClass::Open) & 0xFFFFFFU);

    form.ChooseSiteName = [] { return std::optional<std::string>("Roof of the mill"); };
    form.ChooseReportFile = [&] { return std::optional(folder.File("report.pdf")); };
    form.ChooseMaskFile = [&] { return std::optional(folder.File("mask.aem")); };
    Trigger("MenuFileSiteReport");
    Trigger("MenuFileExportMask");
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_THAT(ReadFileBytes(folder.File("report.pdf")), StartsWith("%PDF"));
    EXPECT_THAT(ReadFileBytes(folder.File("mask.aem")), HasSubstr("BEGIN AzElMask"));

    // A loaded map without observations is drawn as a map, the status area telling why; it has
    // no mask to give.
    form.ChooseDataFile = [&] { return std::optional(folder.File("moved.dat")); };
    Trigger("MenuFileLoadExistingResults");
    EXPECT_THAT(form.statusBar()->currentMessage().toStdString(), HasSubstr("moved.obs"));
    Trigger("MenuFileExportMask");
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("moved.obs"));
}

} // namespace
