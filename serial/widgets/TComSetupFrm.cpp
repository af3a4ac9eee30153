#include "TComSetupFrm.h"

#include "TComComboBox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

struct Row {
    const char* label;
    const char* caption;
    int labelTop;
    const char* combo;
    int comboTop;
    TComProperty property;
};

constexpr std::array<Row, TComSetupFrm::ComboCount> Rows = {{
    {"Label1", "Port", 24, "Combo1", 16, TComProperty::cpPort},
    {"Label2", "Baud rate", 48, "Combo2", 40, TComProperty::cpBaudRate},
    {"Label3", "Data bits", 72, "Combo3", 64, TComProperty::cpDataBits},
    {"Label4", "Stop bits", 96, "Combo4", 88, TComProperty::cpStopBits},
    {"Label5", "Parity", 120, "Combo5", 112, TComProperty::cpParity},
    {"Label6", "Flow control", 144, "Combo6", 136, TComProperty::cpFlowControl},
}};

constexpr const char* DesignFontFamily = "MS Sans Serif";
constexpr int DesignFontPixels = 11;
constexpr int LabelLeft = 8;
constexpr int ComboLeft = 80;
constexpr int ComboWidth = 129;
constexpr int RowStep = 24;

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setGeometry(left, 184, 75, 25);
    return button;
}

} // namespace

TComSetupFrm::TComSetupFrm(const SerialPortSource& source, QWidget* parent) : QDialog(parent) {
    setObjectName("ComSetupFrm");
    setWindowTitle("Setup");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    // The design's font, which its captions were fitted to: in the desktop's larger one
    // "Flow control" runs under its combo box.
    QFont font(DesignFontFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(DesignFontPixels);
    setFont(font);

    auto* groupBox = new QGroupBox(" Settings ", this);
    groupBox_ = groupBox;
    groupBox->setObjectName("GroupBox1");
    groupBox->setGeometry(8, 8, 217, 169);

    for (std::size_t row = 0; row < Rows.size(); ++row) {
        const Row& design = Rows[row];
        auto* label = new QLabel(QString::fromUtf8(design.caption), groupBox);
        label->setObjectName(design.label);
        label->setTextFormat(Qt::PlainText);
        label->move(LabelLeft, design.labelTop);
        label->adjustSize();

        auto* combo = new TComComboBox(groupBox);
        combo->setObjectName(design.combo);
        combo->move(ComboLeft, design.comboTop);
        combo->resize(ComboWidth, combo->sizeHint().height());
        combo->SetPortSource(source);
        combo->SetComProperty(design.property);
        combos_[row] = combo;
    }

    QPushButton* const ok = ok_ = MakeButton(this, "Button1", "OK", 70);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* const cancel = cancel_ = MakeButton(this, "Button2", "Cancel", 150);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    for (std::size_t row = 1; row < combos_.size(); ++row) {
        setTabOrder(combos_[row - 1], combos_[row]);
    }
    setTabOrder(combos_.back(), ok);
    setTabOrder(ok, cancel);
    // Not moved here: QDialog centres a dialog without a parent on the screen as it shows it.
}

QComboBox* TComSetupFrm::AddChoice(const QString& caption, const QStringList& items, int current,
                                   bool editable) {
    const int row = static_cast<int>(Rows.size() + choices_.size());
    const int comboTop = Rows.back().comboTop + (row - ComboCount + 1) * RowStep;
    auto* label = new QLabel(caption, groupBox_);
    label->setObjectName(QString("LabelChoice%1").arg(choices_.size() + 1));
    label->setTextFormat(Qt::PlainText);
    label->move(LabelLeft, comboTop + 8);
    label->adjustSize();
    auto* combo = new QComboBox(groupBox_);
    combo->setObjectName(QString("ComboChoice%1").arg(choices_.size() + 1));
    // Measured anew as items come, and editable before: a box that takes typing is wider for
    // the same texts.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo->setEditable(editable);
    // What is typed is the user's value, not a new item of the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(current);
    combo->move(ComboLeft, comboTop);
    label->show();
    combo->show();
    choices_.push_back(combo);

    // The group box is as wide as the widest added row needs, and every added row reaches to its
    // edge as the port's rows do: a row added later never leaves an earlier one short.
    int comboWidth = ComboWidth;
    for (const QComboBox* choice : choices_) {
        comboWidth = std::max(comboWidth, choice->sizeHint().width());
    }
    const int groupWidth = ComboLeft + comboWidth + LabelLeft;
    for (QComboBox* choice : choices_) {
        choice->resize(comboWidth, choice->sizeHint().height());
    }
    const int grown = comboTop + combo->height() + 8 - groupBox_->height();
    groupBox_->setGeometry(8, 8, groupWidth, groupBox_->height() + std::max(grown, 0));
    for (QPushButton* button : {ok_, cancel_}) {
        button->move(button->x(), groupBox_->geometry().bottom() + 8);
    }
    setFixedSize(groupBox_->geometry().right() + 7, ok_->geometry().bottom() + 8);
    setTabOrder(choices_.size() == 1 ? static_cast<QWidget*>(combos_.back())
                                     : choices_[choices_.size() - 2],
                combo);
    setTabOrder(combo, ok_);
    return combo;
}
