#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The plain about box: icon, product name, version, copyright and comments on a panel, and OK.
class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    static constexpr int ClientWidth = 298;
    static constexpr int ClientHeight = 213;

protected:
    // What the box is centred on when shown: the screen.
    virtual QRect CentringArea() const;
    void showEvent(QShowEvent* event) override;

    QFrame* panel1_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* copyright_ = nullptr;
    QLabel* comments_ = nullptr;
    QPushButton* okButton_ = nullptr;
};
