#include "app/TFormSkyfence.h"
#include "app/TProgressBar.h"
#include "app/TerminationSignals.h"
#include "horizon/HorizonGrid.h"
#include "horizon/ReceivePath.h"
#include "imaging/TExtBitmap.h"
#include "imaging/TwexImage.h"
#include "serial/TCustomComPort.h"

#include "TemporaryFolder.h"
#include "TestNames.h"
#include "WindowTestMain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTimerEvent>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace {

using testing::HasSubstr;

class Window : public testing::Test {
protected:
    void SetUp() override { ShownMessages().clear(); }

    TFormSkyfence& Form() {
        if (!form_) {
            form_ = std::make_unique<TFormSkyfence>(folder.Path());
            form_->RunSetup = [](TCustomComPort&) {};
        }
        return *form_;
    }
    // Shown, without the start of reception that follows a moment later.
    TFormSkyfence& ShownForm() {
        TFormSkyfence& form = Form();
        form.show();
        Find<QTimer>("TimerRun")->stop();
        QApplication::processEvents();
        return form;
    }
    template <class T>
    T* Find(const char* name) {
        T* found = Form().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A tick of the timer, delivered as the event loop would.
    void Fire(const char* name) {
        QTimer* timer = Find<QTimer>(name);
        QTimerEvent tick(timer->timerId());
        QApplication::sendEvent(timer, &tick);
    }
    QString Text(const char* name) { return Find<QLabel>(name)->text(); }
    QWidget* CurrentPage() { return Find<QTabWidget>("PageControlMain")->currentWidget(); }
    std::string DataFile() const { return folder.File("Skyfence.dat"); }
    static int Grey(const TExtBitmap& bitmap, int x, int y) { return bitmap.ScanLine(y)[x]; }

    TemporaryFolder folder;

private:
    std::unique_ptr<TFormSkyfence> form_;
};

struct DesignCase {
    const char* name;
    int left, top, width, height; // width 0: not checked
    const char* caption;          // null: not checked
};

void PrintTo(const DesignCase& c, std::ostream* out) {
    *out << c.name;
}

class Design : public Window, public testing::WithParamInterface<DesignCase> {};

TEST_P(Design, ComponentStandsWhereTheDesignPutsIt) {
    const DesignCase& c = GetParam();
    const QWidget* widget = Find<QWidget>(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->pos(), QPoint(c.left, c.top));
    if (c.width > 0) {
        EXPECT_EQ(widget->size(), QSize(c.width, c.height));
    }
    if (c.caption != nullptr) {
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            EXPECT_EQ(label->text(), QString::fromUtf8(c.caption));
        } else if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Components, Design,
    testing::Values(DesignCase{"LabelPosition", 8, 336, 0, 0, "Latest position sentence ..."},
                    DesignCase{"LabelNumSatellites", 8, 356, 0, 0,
                               "Number of satellites in view ..."},
                    DesignCase{"LabelMouseAzEl", 312, 328, 0, 0, "Azimuth & elevation"},
                    DesignCase{"PageControlMain", 0, 0, 565, 325, nullptr},
                    DesignCase{"LabelSat01", 208, 10, 0, 0, " "},
                    DesignCase{"LabelNum01", 16, 10, 0, 0, "01"},
                    DesignCase{"ProgressBarSat01", 32, 8, 169, 17, nullptr},
                    DesignCase{"ImageAzElDisplay", 8, 4, 540, 273, nullptr},
                    DesignCase{"ImageAzElFromFile", 8, 4, 540, 273, nullptr},
                    DesignCase{"BitBtnStartStop", 464, 340, 97, 25, "Start"}),
    CaseName());

TEST_F(Window, FrameMenusAndTimersFollowTheDesign) {
    TFormSkyfence& form = Form();
    EXPECT_EQ(form.windowTitle(), "Skyfence monitor - from Quillmoor Software, Tarnholm");
    EXPECT_EQ(form.centralWidget()->size(), QSize(577, 378));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    QStringList menus;
    for (const QAction* action : form.menuBar()->actions()) {
        menus << action->text();
        for (const QAction* item : action->menu()->actions()) {
            menus << (item->isSeparator() ? "-" : item->text());
        }
    }
    // The design's items in their order, and between them the results to keep.
    EXPECT_EQ(
        menus,
        QStringList({"&File", "Load ...", "Compare with ...", "-", "Export picture ...",
                     "Export cells ...", "Export horizon profile ...", "Export horizon mask ...",
                     "Site report ...", "-", "Setup", "-", "E&xit", "Help", "About..."}));

    const auto* tabs = Find<QTabWidget>("PageControlMain");
    EXPECT_EQ(tabs->tabText(0), "Satellites");
    EXPECT_EQ(tabs->tabText(1), "My Radio Horizon");
    EXPECT_EQ(tabs->tabText(2), "Horizon from file");
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TabSheetRadioHorizon");

    const auto* bar = Find<TProgressBar>("ProgressBarSat01");
    EXPECT_EQ(bar->minimum(), 29);
    EXPECT_EQ(bar->maximum(), 55);
    EXPECT_EQ(bar->Position(), 29);

    EXPECT_EQ(Find<QTimer>("TimerRefresh")->interval(), 5000);
    EXPECT_TRUE(Find<QTimer>("TimerRefresh")->isActive());
    EXPECT_EQ(Find<QTimer>("TimerHousekeeping")->interval(), 120000);
    EXPECT_TRUE(Find<QTimer>("TimerHousekeeping")->isActive());
    EXPECT_EQ(Find<QTimer>("TimerRun")->interval(), 10);
    EXPECT_FALSE(Find<QTimer>("TimerRun")->isActive());

    QStringList popup;
    for (const QAction* item : Find<QMenu>("MenuPopupAverage")->actions()) {
        popup << item->text() + (item->isChecked() ? "*" : "");
    }
    EXPECT_EQ(popup, QStringList({"1\u00b0*", "2\u00b0", "5\u00b0", "10\u00b0"}));
    EXPECT_EQ(Find<QAction>("MenuPopupFilled")->text(), "Filled");
    EXPECT_EQ(Find<QAction>("MenuPopupPolar")->text(), "Polar");
    EXPECT_EQ(form.AverageWidth(), 1);
}

TEST_F(Window, SatelliteRowsLieTwentyFourPixelsApart) {
    for (int row = 2; row <= 12; ++row) {
        const QString number = QString::asprintf("%.2d", row);
        const int below = (row - 1) * 24;
        EXPECT_EQ(Find<QWidget>(("LabelSat" + number).toUtf8())->pos(), QPoint(208, 10 + below));
        EXPECT_EQ(Find<QLabel>(("LabelNum" + number).toUtf8())->text(), number);
        EXPECT_EQ(Find<QWidget>(("LabelNum" + number).toUtf8())->pos(), QPoint(16, 10 + below));
        const auto* bar = Find<TProgressBar>(("ProgressBarSat" + number).toUtf8());
        EXPECT_EQ(bar->geometry().topLeft(), QPoint(32, 8 + below));
        EXPECT_EQ(bar->width(), 169);
        EXPECT_EQ(bar->minimum(), 29);
        EXPECT_EQ(bar->maximum(), 55);
    }
    EXPECT_EQ(Form().findChild<QWidget*>("LabelSat13"), nullptr);
}

TEST_F(Window, SentencesReachTheTableThePositionLineAndTheGrid) {
    TFormSkyfence& form = Form();
    form.ComDataPacketGPGSVPacket("3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45");
    Fire("TimerControlUpdates");
    EXPECT_EQ(Text("LabelNumSatellites"), "11 satellites in view");
    EXPECT_EQ(Text("LabelSat01"), "PRN:01   SNR:46 dB   AZ:83  EL:40");
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat01")->Position(), 46);
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat01")->value(), 46);
    form.ComDataPacketGPGSVPacket("3,2,11,04,10,020,60,05,25,100,0");
    Fire("TimerControlUpdates");
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat05")->value(), 55); // full
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat06")->Position(), 0);
    EXPECT_LT(Find<TProgressBar>("ProgressBarSat06")->value(), 29); // empty
    EXPECT_EQ(form.Grids().HorizonGrid.Get(83).substr(0, 90).find("46"), 83u);

    form.ComDataPacketGPRMCPacket("$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*");
    Fire("TimerControlUpdates");
    EXPECT_EQ(Text("LabelPosition"), "09:30:15 UTC  55\u00b0 57.12'N  3\u00b0 11.57'W  ");
}

// A fast receiver's sentences reach the controls together, each control showing only the latest.
TEST_F(Window, SentencesReachTheControlsTogetherWithTheLatestText) {
    TFormSkyfence& form = Form();
    QTimer* const timer = Find<QTimer>("TimerControlUpdates");
    const int designPosition = Find<TProgressBar>("ProgressBarSat01")->Position();
    form.ComDataPacketGPGSVPacket("3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45");
    form.ComDataPacketGPGSVPacket("3,1,12,03,41,090,47,02,17,308,41,12,07,344,39,14,22,228,45");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(Text("LabelNumSatellites"), "Number of satellites in view ...");
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat01")->Position(), designPosition);

    Fire("TimerControlUpdates");
    EXPECT_EQ(Text("LabelNumSatellites"), "12 satellites in view");
    EXPECT_EQ(Text("LabelSat01"), "PRN:03   SNR:47 dB   AZ:90  EL:41");
    EXPECT_EQ(Find<TProgressBar>("ProgressBarSat01")->Position(), 47);
    EXPECT_EQ(Text("LabelSat02"), "PRN:02   SNR:41 dB   AZ:308  EL:17");
}

TEST_F(Window, FirstStartShowsTheBlackPlotAndWritesNoFileUntilASave) {
    TFormSkyfence& form = ShownForm();
    EXPECT_EQ(CurrentPage()->objectName(), "TabSheetRadioHorizon");
    EXPECT_EQ(form.LiveBitmap().Width(), 540);
    EXPECT_EQ(form.LiveBitmap().Height(), 273);
    EXPECT_EQ(Grey(form.LiveBitmap(), 0, 0), 0);
    EXPECT_EQ(Grey(form.LiveBitmap(), 539, 272), 0);
    EXPECT_FALSE(std::filesystem::exists(DataFile()));
    Fire("TimerHousekeeping");
    EXPECT_EQ(std::filesystem::file_size(DataFile()), 67210u);
}

TEST_F(Window, LoadShowsTheFileOnItsTabAndActivatesIt) {
    TStringList grid = NewGrid();
    FoldReport(grid, 100, 30, 40);
    const std::string path = folder.File("earlier.dat");
    grid.SaveToFile(path);
    TFormSkyfence& form = ShownForm();
    form.ChooseDataFile = [&] { return std::optional<std::string>(path); };
    Find<QAction>("MenuFileLoadExistingResults")->trigger();
    EXPECT_EQ(CurrentPage()->objectName(), "TabSheetLoadedData");
    EXPECT_EQ(form.Grids().LoadedFileName, path);
    EXPECT_EQ(form.Grids().LoadedGrid, grid);
    // The one bright cell, enlarged three times down and one and a half across.
    EXPECT_GT(Grey(form.LoadedBitmap(), 100 * 3 / 2, (90 - 30) * 3 + 1), 200);
    EXPECT_EQ(Grey(form.LoadedBitmap(), 10, 10), 0);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(Window, CancelledOrFailedLoadChangesNothing) {
    TFormSkyfence& form = ShownForm();
    form.LoadedBitmap().FillRect({0, 0, 540, 273}, 0x808080);
    form.LoadedBitmap().SetModified(false);

    form.ChooseDataFile = [] { return std::optional<std::string>(); };
    Find<QAction>("MenuFileLoadExistingResults")->trigger();
    EXPECT_EQ(CurrentPage()->objectName(), "TabSheetRadioHorizon");
    EXPECT_TRUE(ShownMessages().empty());

    form.ChooseDataFile = [&] { return std::optional<std::string>(folder.File("gone.dat")); };
    Find<QAction>("MenuFileLoadExistingResults")->trigger();
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("gone.dat"));
    EXPECT_EQ(CurrentPage()->objectName(), "TabSheetRadioHorizon");
    EXPECT_FALSE(form.LoadedBitmap().Modified());
}

TEST_F(Window, PopupSettingsRedrawBothPlotsAndToggleTheCompassLetters) {
    TStringList grid = NewGrid();
    const std::string path = folder.File("loaded.dat");
    grid.SaveToFile(path);
    TFormSkyfence& form = ShownForm();
    form.ChooseDataFile = [&] { return std::optional<std::string>(path); };
    Find<QAction>("MenuFileLoadExistingResults")->trigger();
    EXPECT_EQ(Grey(form.LoadedBitmap(), 400, 100), 0);

    Find<QAction>("MenuPopupPolar")->trigger();
    EXPECT_EQ(Grey(form.LiveBitmap(), 400, 100), 255); // white beside the polar square
    EXPECT_EQ(Grey(form.LoadedBitmap(), 400, 100), 255);
    for (const char* name :
         {"LabelNorth", "LabelEast", "LabelSouth", "LabelWest", "LabelNorth2", "LabelNorthB",
          "LabelEastB", "LabelSouthB", "LabelWestB", "LabelNorth2B"}) {
        EXPECT_TRUE(Find<QLabel>(name)->isHidden()) << name;
    }
    Find<QAction>("MenuPopupPolar")->trigger();
    EXPECT_EQ(Grey(form.LiveBitmap(), 400, 100), 0);
    EXPECT_FALSE(Find<QLabel>("LabelWestB")->isHidden());

    Find<QAction>("MenuPopupAverage10")->trigger();
    EXPECT_EQ(form.AverageWidth(), 10);
    EXPECT_TRUE(Find<QAction>("MenuPopupAverage10")->isChecked());
    EXPECT_FALSE(Find<QAction>("MenuPopupAverage1")->isChecked());
    Find<QAction>("MenuPopupAverage5")->trigger();
    EXPECT_EQ(form.AverageWidth(), 5);
}

TEST_F(Window, CompassLettersMarkTheQuartersUnderEachImage) {
    ShownForm();
    for (const char* suffix : {"", "B"}) {
        const auto* north = Find<QLabel>((std::string("LabelNorth") + suffix).c_str());
        const auto* south = Find<QLabel>((std::string("LabelSouth") + suffix).c_str());
        EXPECT_EQ(north->y(), 4 + 273);
        EXPECT_EQ(north->x(), 8 + 2 - north->width() / 2);
        EXPECT_EQ(south->x(), 8 + 270 - south->width() / 2);
        EXPECT_EQ(north->text(), "N");
    }
}

TEST_F(Window, MouseReadoutFollowsTheMouseAndResetsOnLeave) {
    ShownForm();
    auto* image = Find<TwexImage>("ImageAzElDisplay");
    QMouseEvent move(QEvent::MouseMove, QPointF(270, 91), image->mapToGlobal(QPointF(270, 91)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(image, &move);
    EXPECT_EQ(Text("LabelMouseAzEl"), "Az: 180\u00b0,  El: 60\u00b0");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(image, &leave);
    EXPECT_EQ(Text("LabelMouseAzEl"), "Azimuth & elevation");
}

TEST_F(Window, FailedSaveShowsTheReasonAndAtCloseKeepsTheWindowOpen) {
    TFormSkyfence& form = ShownForm();
    Fire("TimerHousekeeping");
    const std::string saved = ReadFileBytes(DataFile());
    FoldReport(form.Grids().HorizonGrid, 10, 10, 30);
    ::chmod(folder.Path().c_str(), 0555);

    Fire("TimerHousekeeping");
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr(DataFile()));
    EXPECT_THAT(ShownMessages()[0], HasSubstr("Permission denied"));

    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(ReadFileBytes(DataFile()), saved);

    ::chmod(folder.Path().c_str(), 0700);
    Find<QAction>("MenuFileExit")->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadFileBytes(DataFile()), form.Grids().HorizonGrid.Text());
}

// A long text (the hint of the receiver setting) shows whole in the window of fixed width.
TEST_F(Window, StatusAreaShowsALongTextWhole) {
    TFormSkyfence& form = ShownForm();
    const int width = form.width();
    form.Reception().OnReceiverModeHint();
    const QString text = form.statusBar()->currentMessage();
    EXPECT_THAT(text.toStdString(), HasSubstr("choose \"All satellite systems\" for Receiver in "
                                              "File > Setup."));
    const auto* line = form.findChild<QLabel*>("StatusLine");
    ASSERT_NE(line, nullptr);
    const auto whole = [&] {
        const QRect room = line->contentsRect();
        const QRect needed = line->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000),
                                                              Qt::TextWordWrap, line->text());
        const QRect inWindow(line->mapTo(&form, QPoint(0, 0)), line->size());
        return line->isVisible() && QString(line->text()).remove(QChar(0x200B)) == text &&
               room.width() > 0 && needed.height() <= room.height() &&
               form.rect().contains(inWindow);
    };
    EXPECT_TRUE(PumpWindow(whole, std::chrono::seconds(5)))
        << form.width() << "x" << form.height() << ", the text " << line->width() << "x"
        << line->height() << " needing " << line->heightForWidth(line->width());
    EXPECT_EQ(form.width(), width);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    // Nothing to drag on a window that keeps its size.
    EXPECT_TRUE(form.statusBar()->findChildren<QSizeGrip*>().isEmpty());
}

// The button's face shows round its LED: the glyph's background is transparent.
TEST_F(Window, LedGlyphIsDrawnTransparent) {
    const QImage glyph = Find<QPushButton>("BitBtnStartStop")->icon().pixmap(15, 15).toImage();
    ASSERT_EQ(glyph.size(), QSize(15, 15));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 14)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(14, 0)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(7, 7)), 255);
}

TEST_F(Window, TerminationSignalClosesAndSaves) {
    TFormSkyfence& form = ShownForm();
    FoldReport(form.Grids().HorizonGrid, 20, 20, 44);
    const TerminationSignals termination([&form] { form.close(); });
    std::raise(SIGTERM);
    for (int i = 0; i < 100 && form.isVisible(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadFileBytes(DataFile()), form.Grids().HorizonGrid.Text());
}

} // namespace
