#include "TFormSkyfence.h"

#include "ButtonGlyph.h"
#include "DesignComponents.h"
#include "ExportDialogs.h"
#include "PlotMenu.h"
#include "SatellitePage.h"
#include "SatelliteRows.h"
#include "SkyTable.h"
#include "StatusArea.h"
#include "TSkyfenceApplication.h"
#include "connection/ReceiverConnection.h"
#include "connection/ReceiverSetup.h"
#include "horizon/MouseReadout.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverModeHint.h"
#include "horizon/SatelliteTexts.h"
#include "horizon/SkyView.h"
#include "imaging/TExtBitmap.h"
#include "imaging/TwexImage.h"
#include "platform/Exception.h"
#include "platform/LocaleText.h"
#include "serial/TComPort.h"
#include "serial/widgets/EditPortSettings.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>

namespace {

using namespace std::chrono_literals;

constexpr auto RunDelay = 10ms;
constexpr auto RefreshInterval = 5000ms;
// How long the satellite table and the position line may lag behind the receiver: short for a
// reader, long for a receiver that sends thousands of sentences a second.
constexpr auto ControlUpdateDelay = 100ms;
constexpr auto HousekeepingInterval = 120000ms;
// Room for the longest text the read-out can show, so it is never measured again.
constexpr int ReadoutWidth = 150;
constexpr int StatusTextWidth = 300; // up to the read-out at x = 312

constexpr const char* LoadDialogTitle = "Load existing data file";
constexpr const char* CompareDialogTitle = "Compare with";

} // namespace

TFormSkyfence::TFormSkyfence(const std::string& dataFolder)
    : results_(grids_, PaletteSetting(SettingsKey)), dataFolder_(dataFolder) {
    setObjectName("FormSkyfence");
    setWindowTitle("Skyfence monitor - from Quillmoor Software, Tarnholm");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    CreateComponents();
    CreateMenus();
    statusArea_ = new StatusArea(this);
    setStatusBar(statusArea_);
    statusArea_->hide();
    // Not sizable: the window keeps the size of its menu bar over the fixed client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    CreateReception();
    ConnectHandlers();
    ChooseDataFile = [this] { return ShowOpenDialog(); };
    RunSetup = [this](TCustomComPort&) { setup_->Edit(RunSetupDialog); };
    RunModal = [](QDialog& dialog) { dialog.exec(); };
    ChooseExportFile = [this](ExportKind kind) { return AskExportFile(this, dataFolder_, kind); };
    ChoosePictureSize = [this] { return AskPictureSize(this); };
    ChooseSiteName = [this] { return AskSiteName(this); };
    ChooseReportFile = [this] { return AskReportFile(this, dataFolder_); };
    ChooseMaskFile = [this] { return AskMaskFile(this, dataFolder_); };
    FormCreate();
}

// The port closes itself as it goes, before the packets and the window it reports to.
TFormSkyfence::~TFormSkyfence() = default;

void TFormSkyfence::CreateReception() {
    comPort_ = &components_.Create<TComPort>(&components_);
    comPort_->SetName("ComPort");
    connection_ = std::make_unique<ReceiverConnection>(*comPort_);
    connection_->OnStateChange = [this](ConnectionState state) { ShowConnection(state); };
    connection_->OnLogLine = [](const std::string& line) { TSkyfenceApplication::LogStatus(line); };
    connection_->OnRefused = [](const std::string& message) {
        TSkyfenceApplication::ShowMessage(message);
    };

    // Shown together at the next tick of the control updates, however many changes come first.
    satelliteRows_ = std::make_unique<SatelliteRows>(controlUpdates_, [this] {
        if (!timerControlUpdates_->isActive()) {
            timerControlUpdates_->start();
        }
    });
    receivePath_ =
        std::make_unique<ReceivePath>(grids_, *satelliteRows_, [this](const std::string& line) {
            ScheduleControlUpdates(controlUpdates_.SetText(*labelPosition_, line));
        });
    receivePath_->SetComPort(comPort_);
    setup_ = std::make_unique<ReceiverSetup>(*comPort_, *connection_, *receivePath_, SettingsKey);
    setup_->OnReceiverChange = [this](ReceiverMode mode) { ShowReceiver(mode); };
    setup_->OnStored = [this] { ShowPortSummary(); };
}

template <class T>
T* TFormSkyfence::Component(const char* name) const {
    return findChild<T*>(QString::fromUtf8(name));
}

void TFormSkyfence::CreateComponents() {
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    labelPosition_ = MakeLabel(client, "LabelPosition", "Latest position sentence ...", 8, 336);
    labelPosition_->resize(StatusTextWidth, labelPosition_->height());
    QLabel* count =
        MakeLabel(client, "LabelNumSatellites", "Number of satellites in view ...", 8, 356);
    count->resize(StatusTextWidth, count->height());
    labelMouseAzEl_ = MakeLabel(client, "LabelMouseAzEl", MouseReadoutIdleCaption, 312, 328);
    labelMouseAzEl_->resize(ReadoutWidth, labelMouseAzEl_->height());

    pageControlMain_ = new QTabWidget(client);
    pageControlMain_->setObjectName("PageControlMain");
    pageControlMain_->setGeometry(0, 0, 565, 325);

    tabSheetSatellites_ = new SatellitePage;
    pageControlMain_->addTab(tabSheetSatellites_, "Satellites");
    skyTable_ = &tabSheetSatellites_->Table();

    tabSheetRadioHorizon_ = new PlotPage("TabSheetRadioHorizon", "ImageAzElDisplay", "");
    pageControlMain_->addTab(tabSheetRadioHorizon_, "My Radio Horizon");
    tabSheetRadioHorizon_->Image().setContextMenuPolicy(Qt::CustomContextMenu);
    tabSheetLoadedData_ = new PlotPage("TabSheetLoadedData", "ImageAzElFromFile", "B");
    pageControlMain_->addTab(tabSheetLoadedData_, "Horizon from file");

    pageControlMain_->setCurrentWidget(tabSheetRadioHorizon_);

    bitBtnStartStop_ = new QPushButton("Start", client);
    bitBtnStartStop_->setObjectName("BitBtnStartStop");
    bitBtnStartStop_->setGeometry(464, 340, 97, 25);

    timerRun_ = MakeTimer(this, "TimerRun", RunDelay, false);
    timerRefresh_ = MakeTimer(this, "TimerRefresh", RefreshInterval, true);
    timerHousekeeping_ = MakeTimer(this, "TimerHousekeeping", HousekeepingInterval, true);
    timerControlUpdates_ = MakeTimer(this, "TimerControlUpdates", ControlUpdateDelay, false);
    timerControlUpdates_->setSingleShot(true);

    openDialogLoadData_ = new QFileDialog(this, LoadDialogTitle);
    openDialogLoadData_->setObjectName("OpenDialogLoadData");
    openDialogLoadData_->setNameFilter("Data files (*.dat)");
    openDialogLoadData_->setFileMode(QFileDialog::ExistingFile);
    openDialogLoadData_->setAcceptMode(QFileDialog::AcceptOpen);
    openDialogLoadData_->setSizeGripEnabled(true);
}

void TFormSkyfence::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MenuFile");
    MakeAction(file, "MenuFileLoadExistingResults", "Load ...");
    // Results to keep: the map of the tab in view, and the difference of two loaded maps.
    MakeAction(file, "MenuFileCompare", "Compare with ...");
    file->addSeparator();
    MakeAction(file, "MenuFileExportPicture", "Export picture ...");
    MakeAction(file, "MenuFileExportCells", "Export cells ...");
    MakeAction(file, "MenuFileExportProfile", "Export horizon profile ...");
    // The site's assessment from the observations beside the maps.
    MakeAction(file, "MenuFileExportMask", "Export horizon mask ...");
    MakeAction(file, "MenuFileSiteReport", "Site report ...");
    file->addSeparator();
    MakeAction(file, "MenuFileSetup", "Setup");
    file->addSeparator();
    MakeAction(file, "MenuFileExit", "E&xit");
    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("MenuHelp");
    MakeAction(help, "MenuHelpAbout", "About...");

    popupMenuDisplay_ = new PlotMenu(this, results_, [this](PlotMenu::Plots plots) {
        if (plots == PlotMenu::Plots::Live) {
            PlotLive();
            return;
        }
        PlotBoth();
        for (PlotPage* page : {tabSheetRadioHorizon_, tabSheetLoadedData_}) {
            page->ShowCompassLetters(!results_.Settings().Polar);
        }
    });
}

void TFormSkyfence::ConnectHandlers() {
    using App = TSkyfenceApplication;
    connect(timerRefresh_, &QTimer::timeout, this, App::Guarded([this] { TimerRefreshTimer(); }));
    connect(timerHousekeeping_, &QTimer::timeout, this,
            App::Guarded([this] { TimerHousekeepingTimer(); }));
    connect(timerRun_, &QTimer::timeout, this, App::Guarded([this] { TimerRunTimer(); }));
    connect(timerControlUpdates_, &QTimer::timeout, this, App::Guarded([this] {
                controlUpdates_.Apply();
                skyTable_->Apply();
            }));
    connect(Component<QAction>("MenuFileLoadExistingResults"), &QAction::triggered, this,
            App::Guarded([this] { MenuFileLoadExistingResultsClick(); }));
    connect(Component<QAction>("MenuFileCompare"), &QAction::triggered, this,
            App::Guarded([this] { MenuFileCompareClick(); }));
    for (const auto& [name, kind] : {std::pair{"MenuFileExportPicture", ExportKind::Picture},
                                     std::pair{"MenuFileExportCells", ExportKind::Cells},
                                     std::pair{"MenuFileExportProfile", ExportKind::Profile}}) {
        connect(Component<QAction>(name), &QAction::triggered, this,
                App::Guarded([this, chosen = kind] { MenuFileExportClick(chosen); }));
    }
    connect(Component<QAction>("MenuFileExportMask"), &QAction::triggered, this,
            App::Guarded([this] { MenuFileExportMaskClick(); }));
    connect(Component<QAction>("MenuFileSiteReport"), &QAction::triggered, this,
            App::Guarded([this] { MenuFileSiteReportClick(); }));
    connect(Component<QAction>("MenuFileExit"), &QAction::triggered, this,
            App::Guarded([this] { MenuFileExitClick(); }));
    connect(Component<QAction>("MenuFileSetup"), &QAction::triggered, this,
            App::Guarded([this] { setup_->Run(RunSetup); }));
    connect(Component<QAction>("MenuHelpAbout"), &QAction::triggered, this,
            App::Guarded([this] { MenuHelpAboutClick(); }));
    connect(bitBtnStartStop_, &QPushButton::clicked, this,
            App::Guarded([this] { BitBtnStartStopClick(); }));
    receivePath_->OnReceiverModeHint = [this] { ShowStatus(ReceiverModeHint::Text()); };
    TwexImage* live = &tabSheetRadioHorizon_->Image();
    connect(live, &QWidget::customContextMenuRequested, this,
            [this, live](const QPoint& at) { popupMenuDisplay_->popup(live->mapToGlobal(at)); });
    for (TwexImage* image : {live, &tabSheetLoadedData_->Image()}) {
        image->OnMouseMove = [this](TwexImage&, Qt::KeyboardModifiers, int x, int y) {
            App::Guarded([this, x, y] { ImageAzElMouseMove(x, y); })();
        };
        image->OnMouseLeave = [this](TwexImage&) {
            App::Guarded([this] { ImageAzElMouseLeave(); })();
        };
    }
}

void TFormSkyfence::FormCreate() {
    setFont(QApplication::font());
    tabSheetRadioHorizon_->SetUpBitmap();
    tabSheetLoadedData_->SetUpBitmap();
    LoadGlyphs();
    tabSheetSatellites_->AddRows();
    satelliteRows_->Index(*this, *skyTable_);
    setup_->Restore();
    popupMenuDisplay_->RestorePalette();
    grids_.SetUp(dataFolder_);
}

void TFormSkyfence::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
        TSkyfenceApplication::Guarded([this] { FormShow(); })();
    }
}

void TFormSkyfence::FormShow() {
    PlotLive();
    TellNotes();
    ShowPortSummary();
    timerRun_->start();
}

void TFormSkyfence::closeEvent(QCloseEvent* event) {
    TSkyfenceApplication::Guarded([this] { FormCloseQuery(); })();
    try {
        FormClose();
        event->accept();
    } catch (...) {
        // A grid that could not be saved keeps the window open, with the reason shown.
        event->ignore();
        TSkyfenceApplication::HandleException();
    }
}

void TFormSkyfence::FormClose() {
    grids_.SaveHorizonGrid();
}

void TFormSkyfence::TimerRefreshTimer() {
    PlotLive();
}

void TFormSkyfence::TimerHousekeepingTimer() {
    grids_.SaveHorizonGrid();
}

void TFormSkyfence::TimerRunTimer() {
    timerRun_->stop();
    if (std::filesystem::exists(grids_.DataFileName)) {
        connection_->StartUnattended();
    } else {
        setup_->Run(RunSetup);
    }
}

void TFormSkyfence::BitBtnStartStopClick() {
    if (connection_->Started()) {
        connection_->Stop();
    } else {
        connection_->Start();
    }
}

void TFormSkyfence::FormCloseQuery() {
    connection_->Stop();
}

void TFormSkyfence::LoadGlyphs() {
    LoadGlyph(glyphLedOff_, ":/bitmaps/LEDOFF");
    LoadGlyph(glyphLedOn_, ":/bitmaps/LEDON");
    if (!glyphLedOff_.Empty()) {
        bitBtnStartStop_->setIcon(ButtonGlyph(glyphLedOff_.Image()));
    }
}

void TFormSkyfence::SetButton(const char* caption, const TBitmap& glyph) {
    bitBtnStartStop_->setText(caption);
    bitBtnStartStop_->setIcon(glyph.Empty() ? QIcon() : QIcon(ButtonGlyph(glyph.Image())));
}

// The port and its bit rate, where a user looks for them: on the start/stop button.
void TFormSkyfence::ShowPortSummary() {
    bitBtnStartStop_->setToolTip(ToQString(setup_->PortSummary()));
}

// The button, its LED and the status area follow the connection; a loss is told in the status
// area (and, once, in the session's log), never in a box that would wait for a user who is not
// there.
void TFormSkyfence::ShowConnection(ConnectionState state) {
    SetButton(OffersStop(state) ? "  Stop" : "  Start",
              ShowsLedOn(state) ? glyphLedOn_ : glyphLedOff_);
    if (const QString text = ToQString(connection_->StatusText());
        !text.isEmpty() && text != statusArea_->currentMessage()) {
        // The connection writes its own lines to the log, and only those worth keeping.
        statusArea_->Show(text);
    }
}

// Menus send empty status tips as the pointer passes over them, which would wipe what the status
// area says (a lost receiver, where the maps are) for the user who comes back later.
bool TFormSkyfence::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(event);
}

WebSources TFormSkyfence::WebView() const {
    const ReceivePath& reception = *receivePath_;
    return {&grids_,
            &results_,
            [&reception] { return reception.Revision(); },
            [&reception] { return reception.InView(); },
            [&reception] {
                return reception.PositionSentences() + reception.SatellitesInViewSentences();
            },
            [this] { return FromQString(statusArea_->currentMessage()); },
            [this] { return comPort_->Port(); },
            [this] { return connection_->State() == ConnectionState::Open; },
            dataFolder_};
}

void TFormSkyfence::TellDataFolder() {
    const std::string text = "The maps are kept in " + dataFolder_;
    ShowStatus(ToQString(text));
}

void TFormSkyfence::MenuFileLoadExistingResultsClick() {
    openDialogLoadData_->setWindowTitle(LoadDialogTitle);
    const std::optional<std::string> path = ChooseDataFile ? ChooseDataFile() : std::nullopt;
    if (!path) {
        return;
    }
    results_.Load(*path);
    PlotLoaded();
    pageControlMain_->setCurrentWidget(tabSheetLoadedData_);
}

std::optional<std::string> TFormSkyfence::ShowOpenDialog() {
    if (openDialogLoadData_->exec() != QDialog::Accepted ||
        openDialogLoadData_->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQString(openDialogLoadData_->selectedFiles().front());
}

void TFormSkyfence::MenuFileExitClick() {
    close();
}

void TFormSkyfence::MenuHelpAboutClick() {
    if (aboutBox_ && RunModal) {
        RunModal(*aboutBox_);
    }
}

void TFormSkyfence::ComDataPacketGPGSVPacket(const std::string& str) {
    receivePath_->SatellitesInViewPacket(str);
}

void TFormSkyfence::ComDataPacketGPRMCPacket(const std::string& str) {
    receivePath_->PositionPacket(str);
}

void TFormSkyfence::ScheduleControlUpdates(bool first) {
    if (first) {
        timerControlUpdates_->start();
    }
}

// An unchanged text costs nothing, and the labels are wide enough from the start, so no text is
// measured again.
void TFormSkyfence::SetText(QLabel& label, const std::string& text) {
    const QString shown = ToQString(text);
    if (label.text() != shown) {
        label.setText(shown);
    }
}

// Under the all-systems setting the satellites tab shows the table of every satellite instead.
void TFormSkyfence::ShowReceiver(ReceiverMode mode) {
    const bool allSystems = mode == ReceiverMode::AllSystems;
    skyTable_->setVisible(allSystems);
    for (QWidget* child : tabSheetSatellites_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != skyTable_) {
            child->setVisible(!allSystems);
        }
    }
}

// The status area appears with its first message: the program often runs unattended, so nothing
// here waits for the user, and the session's log keeps what it said.
void TFormSkyfence::ShowStatus(const QString& text) {
    statusArea_->Show(text);
    TSkyfenceApplication::LogStatus(FromQString(text));
}

void TFormSkyfence::PlotBoth() {
    PlotLive();
    PlotLoaded();
}

void TFormSkyfence::PlotLive() {
    results_.DrawLive(LiveBitmap());
}

void TFormSkyfence::PlotLoaded() {
    results_.DrawLoaded(LoadedBitmap());
    if (const std::optional<std::string> note = results_.TakeNote()) {
        ShowStatus(ToQString(*note));
    }
}

// The map loaded first is "before"; the one chosen here "after": what moving the antenna gained
// shows in red, what it lost in blue.
void TFormSkyfence::MenuFileCompareClick() {
    results_.RequireLoadedMap();
    // The same dialog as for Load, titled as the menu names what it is for.
    openDialogLoadData_->setWindowTitle(CompareDialogTitle);
    const std::optional<std::string> path = ChooseDataFile ? ChooseDataFile() : std::nullopt;
    if (!path) {
        return;
    }
    results_.Compare(*path);
    PlotLoaded();
    pageControlMain_->setCurrentWidget(tabSheetLoadedData_);
}

// The file tab's map (or difference) while it is in view, the live map otherwise.
void TFormSkyfence::MenuFileExportClick(ExportKind kind) {
    const MapExport map = LoadedInView() ? results_.LoadedExport() : results_.LiveExport();
    std::optional<QSize> size;
    if (kind == ExportKind::Picture &&
        !(size = ChoosePictureSize ? ChoosePictureSize() : std::nullopt)) {
        return;
    }
    const std::optional<std::string> path =
        ChooseExportFile ? ChooseExportFile(kind) : std::nullopt;
    if (path) {
        map.Save(kind, *path, size.value_or(QSize()));
    }
}

// Refused before any dialog when the map in view has no mask to give.
void TFormSkyfence::MenuFileExportMaskClick() {
    const HorizonMask mask = LoadedInView() ? results_.LoadedMask() : results_.LiveMask();
    if (const std::optional<std::string> path = ChooseMaskFile ? ChooseMaskFile() : std::nullopt) {
        mask.Save(*path);
    }
}

// Of the live maps, whichever tab is in view: the site is where the receiver runs.
void TFormSkyfence::MenuFileSiteReportClick() {
    const std::optional<std::string> name = ChooseSiteName ? ChooseSiteName() : std::nullopt;
    if (!name) {
        return;
    }
    if (const std::optional<std::string> path =
            ChooseReportFile ? ChooseReportFile() : std::nullopt) {
        results_.Report(*name).Save(*path);
    }
}

bool TFormSkyfence::LoadedInView() const {
    return pageControlMain_->currentWidget() == tabSheetLoadedData_;
}

// Observations files that could not be read were set aside at start and their counting began
// afresh; the maps go on, and the user learns it under what the area says already.
void TFormSkyfence::TellNotes() {
    for (const std::string& note : grids_.Notes()) {
        statusArea_->Add(ToQString(note));
        TSkyfenceApplication::LogStatus(note);
    }
}

void TFormSkyfence::ImageAzElMouseMove(int x, int y) {
    const std::optional<std::string> caption = MouseReadoutCaption(
        results_.Settings().Polar, LiveBitmap().Width(), LiveBitmap().Height(), x, y);
    if (caption) {
        SetText(*labelMouseAzEl_, *caption);
    }
}

void TFormSkyfence::ImageAzElMouseLeave() {
    labelMouseAzEl_->setText(MouseReadoutIdleCaption);
}
