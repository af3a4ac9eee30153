#include "app/TFormSkyfence.h"
#include "connection/ReceiverConnection.h"
#include "device/serial/PseudoTerminal.h"
#include "horizon/HorizonGrid.h"
#include "platform/MainThreadCalls.h"
#include "platform/TRegistry.h"
#include "serial/TComPort.h"

#include "TemporaryFolder.h"
#include "WindowTestMain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <sys/stat.h>

namespace {

using testing::HasSubstr;

// The link goes with the terminal, as a device's name does when it is unplugged: a link left
// behind would lead the retries to whatever terminal takes that number next, another test's.
void Unplug(std::unique_ptr<PseudoTerminal>& terminal, const std::string& link) {
    std::filesystem::remove(link);
    terminal.reset();
}

class Reception : public testing::Test {
protected:
    void SetUp() override {
        ShownMessages().clear();
        std::filesystem::remove(TRegistry::DefaultFile());
    }
    void TearDown() override {
        form_.reset();
        std::filesystem::remove(TRegistry::DefaultFile());
    }

    // The settings as a user's earlier session left them.
    void StoreSettings(const std::string& port) {
        TRegistry registry;
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", true);
        registry.WriteString("Port", port);
        registry.WriteString("BaudRate", "9600");
    }
    void MakeDataFile() { NewGrid().SaveToFile(folder.File("Skyfence.dat")); }

    // Creates and shows the window, then lets its start timer fire.
    TFormSkyfence&
    Start(std::chrono::milliseconds retryInterval = ReceiverConnection::DefaultRetryInterval) {
        form_ = std::make_unique<TFormSkyfence>(folder.Path());
        form_->Connection().SetRetryInterval(retryInterval);
        form_->RunSetup = [this](TCustomComPort&) { ++setupRuns; };
        form_->show();
        Pump([&] { return !Timer("TimerRun")->isActive(); });
        return *form_;
    }
    static bool Pump(const std::function<bool()>& done) { return PumpWindow(done); }
    QTimer* Timer(const char* name) { return form_->findChild<QTimer*>(name); }
    QPushButton* Button() { return form_->findChild<QPushButton*>("BitBtnStartStop"); }
    QString Label(const char* name) { return form_->findChild<QLabel*>(name)->text(); }
    std::string Status() { return form_->statusBar()->currentMessage().toStdString(); }
    // A receiver appears behind `link` and talks once it is tried again, until it is heard.
    bool PlugInUntilOpen(std::unique_ptr<PseudoTerminal>& terminal, const std::string& link) {
        terminal = std::make_unique<PseudoTerminal>();
        std::filesystem::create_symlink(terminal->Path(), link);
        return Pump([&] {
            if (form_->Connection().State() == ConnectionState::Retrying) {
                terminal->Write(
                    "$GPGSV,3,1,11,03,40,090,44,02,17,308,41,12,07,344,39,14,22,228,45*74\r\n");
            }
            return form_->Connection().State() == ConnectionState::Open;
        });
    }

    TemporaryFolder folder;
    std::unique_ptr<TFormSkyfence> form_;
    int setupRuns = 0;
};

TEST_F(Reception, FirstStartStoresTheFallbacksRunsSetupAndStaysStopped) {
    TFormSkyfence& form = Start();
    EXPECT_EQ(setupRuns, 1);
    EXPECT_EQ(form.ComPort().Port(), "");
    EXPECT_EQ(form.ComPort().BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(form.ComPort().DataBits(), TDataBits::dbEight);
    EXPECT_FALSE(form.ComPort().Connected());
    EXPECT_EQ(Button()->text(), "Start");
    EXPECT_FALSE(Button()->icon().isNull());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", false));
    EXPECT_EQ(registry.ReadString("BaudRate"), "9600");
    EXPECT_TRUE(registry.ValueExists("Port"));
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(Reception, LaterStartOpensThePortByItself) {
    const PseudoTerminal terminal;
    StoreSettings(terminal.Path());
    MakeDataFile();
    TFormSkyfence& form = Start();
    EXPECT_EQ(setupRuns, 0);
    EXPECT_TRUE(form.ComPort().Connected());
    EXPECT_EQ(Button()->text(), "  Stop");
    EXPECT_THAT(Button()->toolTip().toStdString(), HasSubstr(terminal.Path() + " at 9600 baud"));

    terminal.Write("$GPGSV,3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*74\r\n"
                   "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*00\r\n");
    ASSERT_TRUE(Pump([&] { return Label("LabelNumSatellites") == "11 satellites in view"; }));
    ASSERT_TRUE(Pump([&] { return Label("LabelPosition").startsWith("09:30:15 UTC"); }));
    EXPECT_EQ(Label("LabelSat01"), "PRN:01   SNR:46 dB   AZ:83  EL:40");

    Button()->click();
    EXPECT_FALSE(form.ComPort().Connected());
    EXPECT_EQ(Button()->text(), "  Start");
}

// The program's own start finds no receiver yet (an adapter not plugged in): it waits and tries
// again without a box and takes the receiver when it comes, which is no return of a lost one.
// Only the user's own Start raises the failure.
TEST_F(Reception, AutomaticStartWaitsForAMissingReceiver) {
    const std::string link = folder.File("receiver");
    StoreSettings(link);
    MakeDataFile();
    TFormSkyfence& form = Start(std::chrono::milliseconds(50));
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(form.Connection().State(), ConnectionState::Lost);
    EXPECT_EQ(Button()->text(), "  Stop");
    EXPECT_THAT(Status(), HasSubstr("The receiver on " + link + " is not answering yet"));

    std::unique_ptr<PseudoTerminal> terminal;
    ASSERT_TRUE(PlugInUntilOpen(terminal, link));
    EXPECT_THAT(Status(), HasSubstr("The receiver on " + link + " answers since"));

    Button()->click();
    Unplug(terminal, link);
    EXPECT_TRUE(ShownMessages().empty());
    Button()->click();
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("Unable to open com port"));
    EXPECT_EQ(form.Connection().State(), ConnectionState::Closed);
}

TEST_F(Reception, ExitWhileRunningClosesThePortBeforeTheFinalSave) {
    const PseudoTerminal terminal;
    StoreSettings(terminal.Path());
    MakeDataFile();
    TFormSkyfence& form = Start();
    ASSERT_TRUE(form.ComPort().Connected());
    bool savedBeforeClose = true;
    form.ComPort().OnAfterClose = [&](TCustomComPort&) {
        savedBeforeClose = ReadFileBytes(folder.File("Skyfence.dat")) != NewGrid().Text();
    };
    FoldReport(form.Grids().HorizonGrid, 5, 5, 40);
    form.findChild<QAction*>("MenuFileExit")->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.ComPort().Connected());
    EXPECT_FALSE(savedBeforeClose);
    EXPECT_EQ(ReadFileBytes(folder.File("Skyfence.dat")), form.Grids().HorizonGrid.Text());
}

// A receiver unplugged and plugged in again behind the same name: the loss is told in the status
// area without a box, the map stays, and reception resumes by itself until the user stops it.
TEST_F(Reception, ReceiverVanishingIsToldAndReceptionResumesByItself) {
    auto terminal = std::make_unique<PseudoTerminal>();
    const std::string link = folder.File("receiver");
    std::filesystem::create_symlink(terminal->Path(), link);
    StoreSettings(link);
    MakeDataFile();
    TFormSkyfence& form = Start();
    form.Connection().SetRetryInterval(std::chrono::milliseconds(50));
    ASSERT_TRUE(form.ComPort().Connected());
    terminal->Write("$GPGSV,3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*74\r\n");
    ASSERT_TRUE(Pump([&] { return Label("LabelNumSatellites") == "11 satellites in view"; }));
    EXPECT_EQ(form.Connection().State(), ConnectionState::Open);

    Unplug(terminal, link);
    ASSERT_TRUE(Pump([&] { return form.Connection().State() == ConnectionState::Lost; }));
    EXPECT_EQ(Button()->text(), "  Stop");
    const std::string lost = form.statusBar()->currentMessage().toStdString();
    EXPECT_THAT(lost, HasSubstr("The receiver on " + link + " was lost at "));
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(form.Grids().HorizonGrid.Get(83).find(",46"), 82u);

    ASSERT_TRUE(PlugInUntilOpen(terminal, link));
    EXPECT_TRUE(form.ComPort().Connected());
    EXPECT_EQ(Button()->text(), "  Stop");
    EXPECT_THAT(form.statusBar()->currentMessage().toStdString(), HasSubstr("answers again"));
    EXPECT_EQ(form.Grids().HorizonGrid.Get(83).find(",46"), 82u);

    Unplug(terminal, link);
    ASSERT_TRUE(Pump([&] { return form.Connection().State() == ConnectionState::Lost; }));
    Button()->click();
    EXPECT_EQ(form.Connection().State(), ConnectionState::Closed);
    EXPECT_EQ(Button()->text(), "  Start");
    // Stopped means no more tries: a receiver that comes back now stays closed.
    terminal = std::make_unique<PseudoTerminal>();
    std::filesystem::create_symlink(terminal->Path(), link);
    const auto later = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    Pump([&] { return std::chrono::steady_clock::now() > later; });
    EXPECT_FALSE(form.ComPort().Connected());
    EXPECT_TRUE(ShownMessages().empty());
    form.close();
    EXPECT_EQ(ReadFileBytes(folder.File("Skyfence.dat")), form.Grids().HorizonGrid.Text());
}

struct SetupFault {
    const char* name;
    std::function<void(TCustomComPort& port, const std::string& folder)> duringSetup;
    const char* message;
};

void PrintTo(const SetupFault& fault, std::ostream* out) {
    *out << fault.name;
}

class FailedSetup : public Reception, public testing::WithParamInterface<SetupFault> {};

// The setup while receiving ends reception first; when storing the settings or opening the port
// again fails, the failure is shown and the button offers Start for the closed port.
TEST_P(FailedSetup, LeavesReceptionStoppedAndSaysSo) {
    const PseudoTerminal terminal;
    StoreSettings(terminal.Path());
    MakeDataFile();
    TFormSkyfence& form = Start();
    ASSERT_EQ(Button()->text(), "  Stop");
    form.RunSetup = [&](TCustomComPort& port) { GetParam().duringSetup(port, folder.Path()); };
    form.findChild<QAction*>("MenuFileSetup")->trigger();
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr(GetParam().message));
    EXPECT_FALSE(form.ComPort().Connected());
    EXPECT_EQ(form.Connection().State(), ConnectionState::Closed);
    EXPECT_EQ(Button()->text(), "  Start");
}

INSTANTIATE_TEST_SUITE_P(
    Setup, FailedSetup,
    testing::Values(SetupFault{"StoringFails",
                               [](TCustomComPort&, const std::string&) {
                                   WriteFileBytes(TRegistry::DefaultFile(),
                                                  "REGEDIT4\r\n\r\n\x01 not a registry line");
                               },
                               "Failed to store settings"},
                    SetupFault{"ReopeningFails",
                               [](TCustomComPort& port, const std::string& folder) {
                                   port.SetPort(folder + "no-such-receiver");
                               },
                               "Unable to open com port"}),
    [](const testing::TestParamInfo<SetupFault>& fault) { return fault.param.name; });

struct StoreFault {
    const char* name;
    std::string content;
    mode_t mode;
};

void PrintTo(const StoreFault& fault, std::ostream* out) {
    *out << fault.name;
}

class DamagedStore : public Reception, public testing::WithParamInterface<StoreFault> {};

// Settings that cannot be read leave the design's in force, silently as at any start; the setup
// cannot store over them, says so, and the file stays for the user to mend.
TEST_P(DamagedStore, WindowRunsWithTheDesignSettingsAndKeepsTheFile) {
    const std::string file = TRegistry::DefaultFile();
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    WriteFileBytes(file, GetParam().content);
    ::chmod(file.c_str(), GetParam().mode);

    TFormSkyfence& form = Start();
    EXPECT_EQ(setupRuns, 1);
    EXPECT_EQ(form.ComPort().Port(), "COM1");
    EXPECT_EQ(form.ComPort().BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(form.ComPort().DataBits(), TDataBits::dbEight);
    EXPECT_EQ(form.ComPort().StopBits(), TStopBits::sbOneStopBit);
    EXPECT_FALSE(form.ComPort().Connected());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_THAT(ShownMessages()[0], HasSubstr("Failed to store settings"));

    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, GetParam().mode);
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(ReadFileBytes(file), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, DamagedStore,
    testing::Values(
        StoreFault{"Garbled", "REGEDIT4\r\n\r\n\x01\x02 not a line of a registry", 0644},
        // As a registry editor exports it.
        StoreFault{"Utf16", std::string("\xFF\xFER\0E\0G\0", 8), 0644},
        StoreFault{"Unreadable",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]"
                   "\r\n\"Port\"=\"COM3\"\r\n",
                   0}),
    [](const testing::TestParamInfo<StoreFault>& fault) { return fault.param.name; });

} // namespace
