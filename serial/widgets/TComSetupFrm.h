#pragma once

#include "serial/SerialPortList.h"

#include <QDialog>

#include <QStringList>

#include <array>
#include <vector>

class QComboBox;
class QGroupBox;
class QPushButton;
class TComComboBox;

// The port setup dialog: six combo boxes (port, bit rate, data bits, stop bits, parity, flow
// control) and OK / Cancel. Building it reads the port list from `source`, which must outlive
// the dialog; the combo boxes are bound to no port and write nothing until told to.
class TComSetupFrm : public QDialog {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 231;
    static constexpr int ClientHeight = 216;
    static constexpr int ComboCount = 6;

    explicit TComSetupFrm(const SerialPortSource& source = SystemSerialPorts(),
                          QWidget* parent = nullptr);

    // Combo1 … Combo6, in tab order.
    const std::array<TComComboBox*, ComboCount>& Combos() const { return combos_; }

    // Offers one more setting below the port's six, in a row of its own that the dialog grows
    // by; `current` is the item shown first, and an `editable` row also takes typing. Without
    // it the dialog is as designed.
    QComboBox* AddChoice(const QString& caption, const QStringList& items, int current,
                         bool editable = false);
    const std::vector<QComboBox*>& Choices() const { return choices_; }

private:
    std::array<TComComboBox*, ComboCount> combos_{};
    std::vector<QComboBox*> choices_;
    QGroupBox* groupBox_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
