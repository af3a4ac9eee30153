#include "serial/widgets/TComSetupFrm.h"
#include "serial/widgets/TComComboBox.h"

#include "FakeSerialPorts.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

using testing::ElementsAre;

class SetupDialog : public testing::Test {
protected:
    template <class T>
    T* Find(const char* name) {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    FakeSerialPorts ports{{"COM3", "COM1"}};
    TComSetupFrm dialog{ports};
};

TEST_F(SetupDialog, IsAFixedSizeDialogCalledSetup) {
    EXPECT_EQ(dialog.windowTitle(), "Setup");
    EXPECT_EQ(dialog.size(), QSize(231, 216));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST_F(SetupDialog, GroupBoxHoldsTheRows) {
    auto* group = Find<QGroupBox>("GroupBox1");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), " Settings ");
    EXPECT_EQ(group->geometry(), QRect(8, 8, 217, 169));
    EXPECT_EQ(group->parentWidget(), &dialog);
}

// The rows added below the port's reach to the group box's edge as those do, all of them as far
// as the widest needs, each showing its longest item whole.
TEST_F(SetupDialog, AddedRowsTakeTheirWidthFromTheGroupBox) {
    QComboBox* receiver = dialog.AddChoice("Receiver", {"GPS only", "All satellite systems"}, 0);
    const QString path = "/dev/serial/by-id/usb-u-blox_AG_GNSS_receiver-if00";
    QComboBox* network = dialog.AddChoice("Network", {"", path}, 1, true);
    const QGroupBox* group = Find<QGroupBox>("GroupBox1");
    // The design's group box is 217 wide.
    const int margin = 217 - Find<QWidget>("Combo1")->geometry().right();
    for (const QComboBox* row : {receiver, network}) {
        EXPECT_EQ(group->width() - row->geometry().right(), margin)
            << row->objectName().toStdString();
    }
    // As wide as the longest text of either.
    EXPECT_GT(receiver->width(), receiver->fontMetrics().horizontalAdvance(path));
    EXPECT_EQ(dialog.width() - group->geometry().right(), 231 - 224);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

struct RowCase {
    const char* name;
    const char* label;
    const char* caption;
    int labelTop;
    const char* combo;
    int comboTop;
    TComProperty property;
};

void PrintTo(const RowCase& c, std::ostream* out) {
    *out << c.name;
}

class SetupDialogRow : public SetupDialog, public testing::WithParamInterface<RowCase> {};

TEST_P(SetupDialogRow, LabelAndComboBoxAsDesigned) {
    const RowCase& row = GetParam();
    auto* group = Find<QGroupBox>("GroupBox1");
    auto* label = Find<QLabel>(row.label);
    auto* combo = Find<TComComboBox>(row.combo);
    ASSERT_TRUE(label != nullptr && combo != nullptr);
    EXPECT_EQ(label->text(), row.caption);
    EXPECT_EQ(label->parentWidget(), group);
    EXPECT_EQ(label->pos(), QPoint(8, row.labelTop));
    EXPECT_EQ(combo->parentWidget(), group);
    EXPECT_EQ(combo->pos(), QPoint(80, row.comboTop));
    EXPECT_EQ(combo->width(), 129);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->ComProperty(), row.property);
    EXPECT_EQ(combo->ComPort(), nullptr);
    EXPECT_FALSE(combo->AutoApply());
}

// In the design's font each caption ends before its combo box begins.
TEST_P(SetupDialogRow, CaptionFitsBeforeItsComboBox) {
    auto* label = Find<QLabel>(GetParam().label);
    auto* combo = Find<TComComboBox>(GetParam().combo);
    ASSERT_TRUE(label != nullptr && combo != nullptr);
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    EXPECT_LE(needed, label->contentsRect().width());
    EXPECT_LE(label->x() + needed, combo->x());
    EXPECT_LE(label->x() + label->width(), combo->x());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetupDialogRow,
    testing::Values(
        RowCase{"Port", "Label1", "Port", 24, "Combo1", 16, TComProperty::cpPort},
        RowCase{"BaudRate", "Label2", "Baud rate", 48, "Combo2", 40, TComProperty::cpBaudRate},
        RowCase{"DataBits", "Label3", "Data bits", 72, "Combo3", 64, TComProperty::cpDataBits},
        RowCase{"StopBits", "Label4", "Stop bits", 96, "Combo4", 88, TComProperty::cpStopBits},
        RowCase{"Parity", "Label5", "Parity", 120, "Combo5", 112, TComProperty::cpParity},
        RowCase{"FlowControl", "Label6", "Flow control", 144, "Combo6", 136,
                TComProperty::cpFlowControl}),
    CaseName());

TEST_F(SetupDialog, ButtonsAsDesigned) {
    auto* ok = Find<QPushButton>("Button1");
    auto* cancel = Find<QPushButton>("Button2");
    ASSERT_TRUE(ok != nullptr && cancel != nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(70, 184, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->parentWidget(), &dialog);
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(cancel->geometry(), QRect(150, 184, 75, 25));
    EXPECT_FALSE(cancel->isDefault());
}

TEST_F(SetupDialog, TabOrderRunsDownTheRowsThenTheButtons) {
    QWidget* const first = Find<QWidget>("Combo1");
    std::vector<std::string> order;
    QWidget* widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            order.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != first && order.size() < 20);
    EXPECT_THAT(order, ElementsAre("Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Combo6",
                                   "Button1", "Button2"));
}

TEST_F(SetupDialog, PortListIsReadOnceWhileBuilding) {
    EXPECT_EQ(ports.Reads(), 1);
    EXPECT_EQ(Find<TComComboBox>("Combo1")->Text(), "COM1");
}

TEST_F(SetupDialog, ShowsCentredOnTheScreen) {
    dialog.show();
    QApplication::processEvents();
    const QRect screen = dialog.screen()->availableGeometry();
    const QPoint offset = dialog.frameGeometry().center() - screen.center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    dialog.hide();
}

} // namespace
