#include "serial/widgets/EditPortSettings.h"
#include "serial/widgets/TComComboBox.h"
#include "serial/widgets/TComSetupFrm.h"

#include "serial/EComPort.h"
#include "serial/TCustomComPort.h"
#include "support/FakeSerialDevice.h"

#include "FakeSerialPorts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPromise>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cerrno>
#include <chrono>

namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::StartsWith;

// A port on a scripted device, open without an event thread, and a dialog run that picks items
// as the user would and then presses a button.
class PortSetup : public testing::Test {
protected:
    PortSetup() { port.SetEvents({}); }

    // One text per combo box, empty to leave that box alone.
    using Picks = std::array<const char*, TComSetupFrm::ComboCount>;

    SetupDialogRun PickAndPress(const Picks& picks, const char* button) {
        return [this, picks, button](TComSetupFrm& dialog) {
            for (std::size_t index = 0; index < picks.size(); ++index) {
                TComComboBox& combo = *dialog.Combos()[index];
                shown.push_back(combo.Text());
                if (*picks[index] != '\0') {
                    combo.SetText(picks[index]);
                    Q_EMIT combo.activated(combo.currentIndex());
                }
            }
            callsWhileShown = script->Calls().size();
            dialog.findChild<QPushButton*>(button)->click();
            return dialog.result();
        };
    }

    FakeSerialPorts ports{{"COM2", "COM1"}};
    std::shared_ptr<FakeSerialDevice::Script> script = std::make_shared<FakeSerialDevice::Script>();
    TCustomComPort port{nullptr, std::make_unique<FakeSerialDevice>(script)};
    std::vector<std::string> shown;
    std::size_t callsWhileShown = 0;
};

TEST_F(PortSetup, OkAppliesTheChoicesInOneSettingsUpdate) {
    port.SetBaudRate(TBaudRate::br4800);
    port.SetStopBits(TStopBits::sbOne5StopBits);
    port.Parity().SetBits(TParityBits::prOdd);
    port.Open();
    script->ClearCalls();
    // Stop bits left alone: what was read is what goes back.
    EditPortSettings(port, ports,
                     PickAndPress({"com1", "19200", "7", "", "Even", "Software"}, "Button1"));
    EXPECT_THAT(shown, ElementsAre("COM1", "4800", "8", "1.5", "Odd", "None"));
    EXPECT_EQ(callsWhileShown, 0U);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br19200);
    EXPECT_EQ(port.DataBits(), TDataBits::dbSeven);
    EXPECT_EQ(port.StopBits(), TStopBits::sbOne5StopBits);
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prEven);
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcSoftware);
    EXPECT_THAT(script->Calls(),
                ElementsAre(StartsWith("SetupComm"), "SetCommState", "SetCommTimeouts"));
    const DeviceControlBlock control = script->LastControlBlock();
    EXPECT_EQ(control.BaudRate, 19200U);
    EXPECT_EQ(control.ByteSize, 7);
    port.Close();
}

TEST_F(PortSetup, CancelChangesNothing) {
    port.Open();
    script->ClearCalls();
    EditPortSettings(port, ports,
                     PickAndPress({"COM2", "110", "5", "1.5", "Space", "Hardware"}, "Button2"));
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port.StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prNone);
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcNone);
    EXPECT_TRUE(script->Calls().empty());
    port.Close();
}

TEST_F(PortSetup, OkWithoutChoosingAnUnlistedPortKeepsItsName) {
    port.SetPort("/dev/ttyUSB7");
    EditPortSettings(port, ports, PickAndPress({"", "", "", "", "", ""}, "Button1"));
    EXPECT_EQ(shown.front(), "");
    EXPECT_EQ(port.Port(), "/dev/ttyUSB7");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
}

TEST_F(PortSetup, UnreadablePortListFailsBeforeAnythingIsShown) {
    const FakeSerialPorts failing({}, ENOENT);
    bool ran = false;
    try {
        EditPortSettings(port, failing, [&ran](TComSetupFrm&) {
            ran = true;
            return int{QDialog::Accepted};
        });
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), ComError::RegError);
        EXPECT_EQ(error.SystemErrorCode(), ENOENT);
    }
    EXPECT_FALSE(ran);
    EXPECT_EQ(port.Port(), "COM1");
}

TEST_F(PortSetup, SetterErrorPropagatesAndTheUpdateStillEnds) {
    port.Open();
    script->SetFailure("Open", EBUSY);
    // The new name reopens the port, which fails.
    EXPECT_THROW(
        EditPortSettings(port, ports, PickAndPress({"COM2", "38400", "", "", "", ""}, "Button1")),
        EComPort);
    script->SetFailure("Open", 0);
    script->ClearCalls();
    // Only a port outside any settings update applies its settings as it opens.
    port.Open();
    EXPECT_EQ(script->CountCalls("SetCommState"), 1);
    port.Close();
}

// A setting beside the port's gets a row of its own; the dialog grows to hold it, and the user's
// pick comes back only when the dialog is confirmed.
TEST_F(PortSetup, ChoiceBesideThePortComesBackOnlyOnOk) {
    for (const auto& [button, expected] : {std::pair{"Button1", 1}, std::pair{"Button2", 0}}) {
        SetupChoice receiver{"Receiver", {"GPS only", "All satellite systems"}, 0, false, {}};
        QSize size;
        bool fits = false;
        EditPortSettings(
            port, ports,
            [&, pressed = button](TComSetupFrm& dialog) {
                QComboBox* combo = dialog.Choices().at(0);
                EXPECT_EQ(combo->currentText(), "GPS only");
                combo->setCurrentIndex(1);
                size = dialog.size();
                const QWidget* ok = dialog.findChild<QPushButton*>("Button1");
                fits = combo->mapTo(&dialog, QPoint(0, combo->height())).y() < ok->y() &&
                       combo->mapTo(&dialog, QPoint(combo->width(), 0)).x() <= dialog.width();
                dialog.findChild<QPushButton*>(pressed)->click();
                return dialog.result();
            },
            {&receiver});
        EXPECT_EQ(receiver.chosen, expected) << button;
        EXPECT_GT(size.height(), TComSetupFrm::ClientHeight);
        EXPECT_TRUE(fits);
    }
    // Without one the dialog is as designed.
    TComSetupFrm plain(ports);
    EXPECT_EQ(plain.size(), QSize(TComSetupFrm::ClientWidth, TComSetupFrm::ClientHeight));
    EXPECT_TRUE(plain.Choices().empty());
}

// A choice that takes typing shows its text first and gives back what the box holds at OK, typed
// or picked; Cancel leaves the text as it was.
TEST_F(PortSetup, TypedChoiceGivesBackItsTextOnOk) {
    for (const auto& [button, expected] :
         {std::pair{"Button1", "tcp://192.0.2.7:10110"}, std::pair{"Button2", "gpsd://old"}}) {
        SetupChoice address{"Network", {"", "gpsd://localhost:2947"}, 0, true, "gpsd://old"};
        EditPortSettings(port, ports,
                         [&, pressed = button](TComSetupFrm& dialog) {
                             QComboBox* combo = dialog.Choices().at(0);
                             EXPECT_TRUE(combo->isEditable());
                             EXPECT_EQ(combo->currentText(), "gpsd://old");
                             combo->setEditText("tcp://192.0.2.7:10110");
                             dialog.findChild<QPushButton*>(pressed)->click();
                             return dialog.result();
                         },
                         {&address});
        EXPECT_EQ(address.text, expected) << button;
    }
}

// Items a look-up brings while the dialog shows join the row in their places, and what the row
// holds stays; an answer after the dialog has gone reaches nothing.
TEST_F(PortSetup, LaterItemsJoinTheRowWhileItShows) {
    QPromise<std::vector<std::string>> lookUp;
    QPromise<std::vector<std::string>> tooLate;
    SetupChoice address{"Network", {"", "tcp://192.0.2.7:10110"}, 0, true, "typed"};
    address.laterItems = lookUp.future();
    SetupChoice gone{"Gone", {""}, 0, false, {}, tooLate.future()};
    lookUp.start();
    tooLate.start();
    QStringList items;
    EditPortSettings(port, ports,
                     [&](TComSetupFrm& dialog) {
                         QComboBox* combo = dialog.Choices().at(0);
                         lookUp.addResult(std::vector<std::string>{"", "gpsd://localhost:2947",
                                                                   "tcp://192.0.2.7:10110"});
                         lookUp.finish();
                         const auto deadline = std::chrono::steady_clock::now() + 10s;
                         while (combo->count() < 3 && std::chrono::steady_clock::now() < deadline) {
                             QApplication::processEvents(QEventLoop::AllEvents, 10);
                         }
                         for (int i = 0; i < combo->count(); ++i) {
                             items << combo->itemText(i);
                         }
                         dialog.findChild<QPushButton*>("Button1")->click();
                         return dialog.result();
                     },
                     {&address, &gone});
    EXPECT_EQ(items, QStringList({"", "gpsd://localhost:2947", "tcp://192.0.2.7:10110"}));
    EXPECT_EQ(address.text, "typed");
    tooLate.addResult(std::vector<std::string>{"", "late"});
    tooLate.finish();
    QApplication::processEvents();
    EXPECT_EQ(gone.text, "");
}

TEST_F(PortSetup, RunSetupDialogShowsTheDialogModally) {
    bool sawModalDialog = false;
    QTimer::singleShot(0, [&sawModalDialog] {
        auto* dialog = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget());
        sawModalDialog = dialog != nullptr && dialog->isModal() && dialog->isVisible();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* setup = qobject_cast<TComSetupFrm*>(widget); setup && setup->isVisible()) {
                setup->reject();
            }
        }
    });
    port.SetBaudRate(TBaudRate::br4800);
    RunSetupDialog(port);
    EXPECT_TRUE(sawModalDialog);
    EXPECT_EQ(port.BaudRate(), TBaudRate::br4800);
}

} // namespace
