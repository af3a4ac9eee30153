#pragma once

#include "ControlUpdates.h"
#include "PlotPage.h"
#include "connection/ConnectionState.h"
#include "horizon/HorizonGrids.h"
#include "horizon/MapResults.h"
#include "horizon/ReceiverMode.h"
#include "horizon/SatelliteSystem.h"
#include "platform/TBitmap.h"
#include "platform/TComponent.h"
#include "serial/ComTypes.h"
#include "web/WebSources.h"

#include <QMainWindow>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QDialog;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class PlotMenu;
class ReceivePath;
class ReceiverConnection;
class ReceiverSetup;
class SatellitePage;
class SatelliteRows;
class SkyTable;
class SkyView;
class StatusArea;
class TProgressBar;
class TComPort;
class TCustomComPort;
class TExtBitmap;

// The program's one window: the satellite table, the position line, the live plot and the plot
// of a loaded data file, the timers that redraw and save the live grid, and the menus.
// Components are children of the window, named as in its design, and found again by name.
class TFormSkyfence : public QMainWindow {
public:
    // `dataFolder` (ending in "/") holds the live data file: the program's own folder, or where
    // the command line or the user's data folder put it.
    explicit TFormSkyfence(const std::string& dataFolder);
    ~TFormSkyfence() override;

    static constexpr int ClientWidth = 577;
    static constexpr int ClientHeight = 378;
    // Where the port settings live.
    static constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

    // The packet events of the two sentences.
    void ComDataPacketGPGSVPacket(const std::string& str);
    void ComDataPacketGPRMCPacket(const std::string& str);

    // Picks the file for "Load ..."; the open-file dialog unless replaced (tests do).
    std::function<std::optional<std::string>()> ChooseDataFile;
    // Lets the user edit the port settings; the setup dialog unless replaced (tests do).
    std::function<void(TCustomComPort& port)> RunSetup;
    // Shows a dialog modally; QDialog::exec unless replaced (tests do).
    std::function<void(QDialog& dialog)> RunModal;
    // Picks the file an export writes, and the picture's size; dialogs unless replaced (tests do).
    std::function<std::optional<std::string>(ExportKind kind)> ChooseExportFile;
    std::function<std::optional<QSize>()> ChoosePictureSize;
    // Ask the site's name and the files of its report and of a horizon mask; dialogs unless
    // replaced (tests do).
    std::function<std::optional<std::string>()> ChooseSiteName;
    std::function<std::optional<std::string>()> ChooseReportFile;
    std::function<std::optional<std::string>()> ChooseMaskFile;

    // The box "About..." shows; made by the program after the window, not owned here.
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }

    TComPort& ComPort() { return *comPort_; }
    ReceiverConnection& Connection() { return *connection_; }
    // Says in the status area where the maps are kept.
    void TellDataFolder();

    HorizonGrids& Grids() { return grids_; }
    ReceivePath& Reception() { return *receivePath_; }
    // The port's and the receiver setting, and the setup that changes them.
    ReceiverSetup& Setup() { return *setup_; }
    // The map the live plot shows: the combined one (no system) or one system's.
    std::optional<SatelliteSystem> PlotSystem() const { return results_.System(); }
    Palette PlotPalette() const { return results_.Settings().Colours; }
    // The file tab's difference of two maps, while it shows one.
    const std::optional<DifferenceMap>& Difference() const { return results_.Difference(); }
    int AverageWidth() const { return results_.Settings().AverageWidth; }
    TExtBitmap& LiveBitmap() { return tabSheetRadioHorizon_->Bitmap(); }
    // What the web page reads of the running program; this outlives the page.
    WebSources WebView() const;
    TExtBitmap& LoadedBitmap() { return tabSheetLoadedData_->Bitmap(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void ConnectHandlers();

    void FormCreate();
    void FormShow();
    void FormClose();
    static void SetText(QLabel& label, const std::string& text);
    void ScheduleControlUpdates(bool first);

    void TimerRefreshTimer();
    void TimerHousekeepingTimer();
    void TimerRunTimer();
    void BitBtnStartStopClick();
    void FormCloseQuery();
    void CreateReception();
    void LoadGlyphs();
    void SetButton(const char* caption, const TBitmap& glyph);
    void ShowPortSummary();
    void ShowReceiver(ReceiverMode mode);
    void ShowConnection(ConnectionState state);
    void MenuFileLoadExistingResultsClick();
    void MenuFileExitClick();
    void MenuHelpAboutClick();

    void MenuFileCompareClick();
    void MenuFileExportClick(ExportKind kind);
    void MenuFileExportMaskClick();
    void MenuFileSiteReportClick();
    bool LoadedInView() const;
    void TellNotes();
    void PlotLive();
    void PlotLoaded();
    void ShowStatus(const QString& text);
    void ImageAzElMouseMove(int x, int y);
    void ImageAzElMouseLeave();

    void PlotBoth();
    std::optional<std::string> ShowOpenDialog();

    template <class T>
    T* Component(const char* name) const;

    // Owner of the window's non-visual components: the port and its two packets.
    TComponent components_;
    TComPort* comPort_ = nullptr;
    TBitmap glyphLedOff_;
    TBitmap glyphLedOn_;

    HorizonGrids grids_;
    MapResults results_;
    // The table the receive path shows in; gone after it.
    std::unique_ptr<SatelliteRows> satelliteRows_;
    // Raises grids_.HorizonGrid; gone before the grids and the port.
    std::unique_ptr<ReceivePath> receivePath_;
    // Opens, closes and reopens the port; gone before it.
    std::unique_ptr<ReceiverConnection> connection_;
    // The settings of both, and reception around their setup; gone before either.
    std::unique_ptr<ReceiverSetup> setup_;
    std::string dataFolder_;
    bool shown_ = false;
    QDialog* aboutBox_ = nullptr;

    QTabWidget* pageControlMain_ = nullptr;
    SatellitePage* tabSheetSatellites_ = nullptr;
    PlotPage* tabSheetRadioHorizon_ = nullptr;
    PlotPage* tabSheetLoadedData_ = nullptr;
    QLabel* labelPosition_ = nullptr;
    QLabel* labelMouseAzEl_ = nullptr;
    QPushButton* bitBtnStartStop_ = nullptr;
    QTimer* timerRun_ = nullptr;
    QTimer* timerRefresh_ = nullptr;
    QTimer* timerHousekeeping_ = nullptr;
    QTimer* timerControlUpdates_ = nullptr;
    QFileDialog* openDialogLoadData_ = nullptr;
    PlotMenu* popupMenuDisplay_ = nullptr;
    SkyTable* skyTable_ = nullptr;
    ControlUpdates controlUpdates_;
    StatusArea* statusArea_ = nullptr;
};
