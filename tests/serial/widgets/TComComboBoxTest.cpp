#include "serial/widgets/TComComboBox.h"

#include "serial/EComPort.h"
#include "serial/TCustomComPort.h"
#include "support/FakeSerialDevice.h"

#include "FakeSerialPorts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include <cerrno>
#include <memory>

namespace {

using testing::ElementsAre;

std::unique_ptr<TCustomComPort> MakePort() {
    return std::make_unique<TCustomComPort>(nullptr, std::make_unique<FakeSerialDevice>());
}

class ComboBox : public testing::Test {
protected:
    ComboBox() { combo.SetPortSource(ports); }

    // What the user sees, checked against the companion's copy.
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (int index = 0; index < combo.count(); ++index) {
            texts.push_back(combo.itemText(index).toStdString());
        }
        EXPECT_EQ(texts, combo.Select().Items->Lines());
        return texts;
    }

    FakeSerialPorts ports{{"COM2", "COM1", "COM10"}};
    std::unique_ptr<TCustomComPort> port = MakePort();
    TComComboBox combo;
};

TEST_F(ComboBox, PropertyWithoutPortSelectsTheFirstItem) {
    combo.SetComProperty(TComProperty::cpPort);
    EXPECT_THAT(Shown(), ElementsAre("COM1", "COM10", "COM2"));
    EXPECT_EQ(combo.Text(), "COM1");
    EXPECT_EQ(combo.Select().Port, "");
    combo.SetComProperty(TComProperty::cpNone);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBox, PropertyWithPortSelectsThePortsValue) {
    port->Parity().SetBits(TParityBits::prEven);
    combo.SetComPort(port.get());
    combo.SetComProperty(TComProperty::cpParity);
    EXPECT_EQ(combo.Text(), "Even");
}

TEST_F(ComboBox, UnreadablePortListPropagatesAndLeavesNoStaleItems) {
    combo.SetComProperty(TComProperty::cpParity);
    const FakeSerialPorts failing({}, ENOENT);
    combo.SetPortSource(failing);
    EXPECT_THROW(combo.SetComProperty(TComProperty::cpPort), EComPort);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ComboBox, UnlistedPortNameShowsNoSelectionAndApplyKeepsIt) {
    combo.SetComProperty(TComProperty::cpPort);
    port->SetPort("com9");
    combo.SetComPort(port.get());
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
    combo.ApplyToPort();
    EXPECT_EQ(port->Port(), "com9");
}

TEST_F(ComboBox, ReadFromPortIgnoresLetterCaseAndWithoutPortKeepsTheSelection) {
    combo.SetComProperty(TComProperty::cpPort);
    combo.setCurrentIndex(2);
    combo.ReadFromPort();
    EXPECT_EQ(combo.Text(), "COM2");
    port->SetPort("com10");
    combo.SetComPort(port.get());
    EXPECT_EQ(combo.Text(), "COM10");
    EXPECT_EQ(combo.Select().Port, "COM10");
}

TEST_F(ComboBox, CustomFlowControlShowsCustomAndApplyLeavesTheFields) {
    TComFlowControl& flow = port->FlowControl();
    flow.SetOutCTSFlow(true);
    flow.SetXonXoffOut(true);
    combo.SetComProperty(TComProperty::cpFlowControl);
    combo.SetComPort(port.get());
    EXPECT_EQ(combo.Text(), "Custom");
    combo.ApplyToPort();
    EXPECT_TRUE(flow.OutCTSFlow());
    EXPECT_TRUE(flow.XonXoffOut());
    EXPECT_FALSE(flow.XonXoffIn());
}

TEST_F(ComboBox, CustomBaudRateShowsCustomAndKeepsTheValue) {
    port->SetBaudRate(TBaudRate::brCustom);
    port->SetCustomBaudRate(250000);
    combo.SetComProperty(TComProperty::cpBaudRate);
    combo.SetComPort(port.get());
    EXPECT_EQ(combo.Text(), "Custom");
    combo.ApplyToPort();
    EXPECT_EQ(port->BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port->CustomBaudRate(), 250000);
}

TEST_F(ComboBox, SetTextSelectsOnlyAListedText) {
    combo.SetComProperty(TComProperty::cpParity);
    combo.setCurrentIndex(3);
    combo.SetText("none");
    EXPECT_EQ(combo.Text(), "None");
    combo.SetText("xyz");
    EXPECT_EQ(combo.Text(), "None");
}

TEST_F(ComboBox, OnlyTheUsersPickIsTakenAndAutoApplied) {
    combo.SetComProperty(TComProperty::cpDataBits);
    combo.SetComPort(port.get());
    std::vector<TDataBits> changes;
    combo.OnChange = [&changes](TComComboBox& sender) {
        changes.push_back(sender.Select().DataBits);
    };
    QTest::keyClick(&combo, Qt::Key_Home);
    EXPECT_EQ(port->DataBits(), TDataBits::dbEight);
    combo.SetAutoApply(true);
    combo.SetText("7");
    combo.setCurrentIndex(1);
    EXPECT_EQ(port->DataBits(), TDataBits::dbEight);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(port->DataBits(), TDataBits::dbSeven);
    EXPECT_THAT(changes, ElementsAre(TDataBits::dbFive, TDataBits::dbSeven));
}

TEST_F(ComboBox, DestroyedPortIsLetGoAndTheFirstItemSelected) {
    combo.SetComProperty(TComProperty::cpParity);
    port->Parity().SetBits(TParityBits::prMark);
    combo.SetComPort(port.get());
    ASSERT_EQ(combo.Text(), "Mark");
    port.reset();
    EXPECT_EQ(combo.ComPort(), nullptr);
    EXPECT_EQ(combo.Text(), "None");
    combo.ApplyToPort();
    combo.ReadFromPort();
    EXPECT_EQ(combo.Text(), "None");
}

TEST_F(ComboBox, OnlyTheBoundPortsEndMatters) {
    combo.SetComProperty(TComProperty::cpParity);
    combo.SetComPort(port.get());
    const std::unique_ptr<TCustomComPort> other = MakePort();
    other->Parity().SetBits(TParityBits::prSpace);
    combo.SetComPort(other.get());
    port.reset();
    EXPECT_EQ(combo.ComPort(), other.get());
    EXPECT_EQ(combo.Text(), "Space");
}

TEST(ComboBoxLifetime, PortMayOutliveTheComboBox) {
    std::unique_ptr<TCustomComPort> port = MakePort();
    {
        TComComboBox combo;
        combo.SetComPort(port.get());
    }
    // Telling the combo box that is gone would be a use after free: the sanitizer build sees it.
    port.reset();
}

TEST_F(ComboBox, ItemsChangedThroughTheWidgetReachTheCompanion) {
    combo.SetComProperty(TComProperty::cpPort);
    combo.addItem("/dev/ttyUSB0");
    combo.removeItem(0);
    EXPECT_THAT(Shown(), ElementsAre("COM10", "COM2", "/dev/ttyUSB0"));
    combo.SetText("/DEV/TTYUSB0");
    EXPECT_EQ(combo.Text(), "/dev/ttyUSB0");
}

} // namespace
