// The window under the all-systems receiver setting: the setting kept with the port's, the sky
// table of every satellite, the maps of the single systems in the plot, and the hint of the
// GPS-only setting in the status area.
#include "app/SkyTable.h"
#include "app/TFormSkyfence.h"
#include "connection/ReceiverSetup.h"
#include "device/serial/PseudoTerminal.h"
#include "horizon/HorizonGrid.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverModeSetting.h"
#include "platform/MainThreadCalls.h"
#include "platform/TRegistry.h"
#include "serial/TComPort.h"
#include "serial/widgets/TComSetupFrm.h"

#include "TemporaryFolder.h"
#include "TestNames.h"
#include "WindowTestMain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

using testing::HasSubstr;

class AllSystemsWindow : public testing::Test {
protected:
    void SetUp() override {
        ShownMessages().clear();
        std::filesystem::remove(TRegistry::DefaultFile());
    }
    void TearDown() override {
        form_.reset();
        std::filesystem::remove(TRegistry::DefaultFile());
    }

    void StoreSettings(const std::string& port, const char* receiver) {
        TRegistry registry;
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", true);
        registry.WriteString("Port", port);
        if (receiver != nullptr) {
            registry.WriteString("Receiver", receiver);
        }
    }
    TFormSkyfence& Start() {
        NewGrid().SaveToFile(folder.File("Skyfence.dat"));
        form_ = std::make_unique<TFormSkyfence>(folder.Path());
        form_->RunSetup = [](TCustomComPort&) {};
        form_->show();
        Pump([&] { return !form_->findChild<QTimer*>("TimerRun")->isActive(); });
        // A receiver that is not there has said so by now; only what follows counts.
        ShownMessages().clear();
        return *form_;
    }
    static bool Pump(const std::function<bool()>& done) { return PumpWindow(done); }
    SkyTable* Sky() { return form_->findChild<SkyTable*>("ScrollBoxSky"); }
    QWidget* FirstRow() { return form_->findChild<QWidget*>("LabelSat01"); }

    TemporaryFolder folder;
    std::unique_ptr<TFormSkyfence> form_;
};

struct StoredCase {
    const char* name;
    const char* stored; // null: no value
    ReceiverMode expected;
};

class StoredReceiver : public AllSystemsWindow, public testing::WithParamInterface<StoredCase> {};

TEST_P(StoredReceiver, ChoosesTheTableAndThePackets) {
    StoreSettings("/dev/null-receiver", GetParam().stored);
    TFormSkyfence& form = Start();
    const bool all = GetParam().expected == ReceiverMode::AllSystems;
    EXPECT_EQ(form.Setup().Receiver(), GetParam().expected);
    EXPECT_EQ(!Sky()->isHidden(), all);
    EXPECT_EQ(!FirstRow()->isHidden(), !all);
    EXPECT_EQ(form.Reception().PacketNames().front(),
              all ? "ComDataPacketRMC" : "ComDataPacketGPRMC");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, StoredReceiver,
    testing::Values(StoredCase{"None", nullptr, ReceiverMode::GpsOnly},
                    StoredCase{"GpsOnly", "GPS only", ReceiverMode::GpsOnly},
                    StoredCase{"Damaged", "all of them", ReceiverMode::GpsOnly},
                    StoredCase{"AllSystems", "All satellite systems", ReceiverMode::AllSystems}),
    CaseName());

// A receiver of four systems on a real terminal: every satellite shows, the count sums them, and
// each system's map can be plotted on its own.
TEST_F(AllSystemsWindow, MultiSystemReceiverFillsTheSkyTableAndTheSystemsMaps) {
    const PseudoTerminal terminal;
    StoreSettings(terminal.Path(), "All satellite systems");
    TFormSkyfence& form = Start();
    ASSERT_TRUE(form.ComPort().Connected());
    const std::string log =
        ReadFileBytes(std::string(SKYFENCE_TEST_DATA_DIR) + "/nmea-multi/skytraq-PX1172RH_DS.log");
    // Fed while the window runs: a write of the whole log could fill the terminal while the
    // port waits for the main thread, and block both.
    ::fcntl(terminal.Master(), F_SETFL, ::fcntl(terminal.Master(), F_GETFL) | O_NONBLOCK);
    std::string_view unsent = log;
    ASSERT_TRUE(Pump([&] {
        if (const ssize_t sent = ::write(terminal.Master(), unsent.data(), unsent.size());
            sent > 0) {
            unsent.remove_prefix(static_cast<std::size_t>(sent));
        }
        return unsent.empty() && form.Grids().Systems.Find(SatelliteSystem::Galileo) != nullptr &&
               form.Grids().Systems.Find(SatelliteSystem::BeiDou) != nullptr &&
               Sky()->RowCount() > 12;
    }));
    const QString count = form.findChild<QLabel*>("LabelNumSatellites")->text();
    EXPECT_EQ(count, QString("%1 satellites in view").arg(Sky()->RowCount()));
    QStringList systems;
    for (int row = 0; row < Sky()->RowCount(); ++row) {
        systems << Sky()->RowText(row).section(' ', 0, 0);
    }
    EXPECT_TRUE(systems.contains("GPS") && systems.contains("GLONASS") &&
                systems.contains("Galileo") && systems.contains("BeiDou"))
        << systems.join(",").toStdString();
    EXPECT_THAT(form.findChild<QLabel*>("LabelPosition")->text().toStdString(), HasSubstr(" UTC"));

    form.findChild<QAction*>("MenuPopupSystemGalileo")->trigger();
    EXPECT_EQ(form.PlotSystem(), SatelliteSystem::Galileo);
    EXPECT_TRUE(form.findChild<QAction*>("MenuPopupSystemGalileo")->isChecked());
    EXPECT_FALSE(form.findChild<QAction*>("MenuPopupSystemAll")->isChecked());
    form.close();
    EXPECT_TRUE(std::filesystem::exists(folder.File("Skyfence-Galileo.dat")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("Skyfence-NavIC.dat")));
}

TEST_F(AllSystemsWindow, SetupKeepsTheReceiverWithThePortSettings) {
    StoreSettings("/dev/null-receiver", nullptr);
    TFormSkyfence& form = Start();
    form.RunSetup = [&form](TCustomComPort&) {
        form.Setup().SetReceiver(ReceiverMode::AllSystems);
    };
    form.findChild<QAction*>("MenuFileSetup")->trigger();
    EXPECT_TRUE(ShownMessages().empty());
    const ReceiverModeSetting setting(TFormSkyfence::SettingsKey, "ComPort");
    EXPECT_EQ(setting.Read(), ReceiverMode::AllSystems);
    TRegistry registry;
    registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", false);
    EXPECT_EQ(registry.ReadString("Port"), "/dev/null-receiver");
    EXPECT_FALSE(Sky()->isHidden());
}

// What the port list cannot show is kept through Setup and OK: a path typed into the Network row
// is there again, and a name no row shows stays the port's.
TEST_F(AllSystemsWindow, SetupShowsAnUnlistedPortAgainAndOkKeepsIt) {
    for (const auto& [port, shown] : {std::pair{"/dev/serial/by-id/usb-test-receiver-if00",
                                                "/dev/serial/by-id/usb-test-receiver-if00"},
                                      std::pair{"COM1", ""}}) {
        StoreSettings(port, nullptr);
        form_ = std::make_unique<TFormSkyfence>(folder.Path());
        QString row = "(no dialog)";
        QTimer::singleShot(0, [&row] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* setup = qobject_cast<TComSetupFrm*>(widget);
                    setup && setup->isVisible()) {
                    row = setup->Choices().at(1)->currentText();
                    setup->accept();
                }
            }
        });
        form_->findChild<QAction*>("MenuFileSetup")->trigger();
        EXPECT_TRUE(ShownMessages().empty());
        EXPECT_EQ(row.toStdString(), shown);
        TRegistry registry;
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", false);
        EXPECT_EQ(registry.ReadString("Port"), port);
    }
}

// Also once in the session's log, where a service's journal keeps it.
TEST_F(AllSystemsWindow, HintOfTheGpsOnlySettingShowsWithoutAMessageBox) {
    StoreSettings("/dev/null-receiver", nullptr);
    TFormSkyfence& form = Start();
    ASSERT_TRUE(form.Reception().OnReceiverModeHint);
    testing::internal::CaptureStderr();
    form.Reception().OnReceiverModeHint();
    const std::string log = testing::internal::GetCapturedStderr();
    // Qt may say things of its own there.
    const QStringList hints =
        QString::fromStdString(log).split('\n').filter("\"All satellite systems\"");
    EXPECT_EQ(hints.size(), 1) << log;
    EXPECT_TRUE(form.statusBar()->isVisible());
    EXPECT_THAT(form.statusBar()->currentMessage().toStdString(),
                HasSubstr("\"All satellite systems\""));
    EXPECT_TRUE(ShownMessages().empty());
}

} // namespace
