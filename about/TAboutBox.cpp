#include "TAboutBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A 32 by 32 placeholder in sixteen colours until the program's icon replaces it.
QPixmap PlaceholderIcon() {
    QImage image(32, 32, QImage::Format_Indexed8);
    image.setColorCount(16);
    for (int i = 0; i < 16; ++i) {
        image.setColor(i, qRgb((i & 1) * 128, (i & 2) * 64, (i & 4) * 32));
    }
    image.fill(0);
    return QPixmap::fromImage(image);
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    panel1_ = new QFrame(this);
    panel1_->setObjectName("Panel1");
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel1_->setGeometry(8, 8, 281, 161);

    programIcon_ = new QLabel(panel1_);
    programIcon_->setObjectName("ProgramIcon");
    programIcon_->setScaledContents(true);
    programIcon_->setGeometry(8, 8, 65, 57);
    programIcon_->setPixmap(PlaceholderIcon());

    productName_ = MakeLabel(panel1_, "ProductName", "Product Name", 88, 16);
    version_ = MakeLabel(panel1_, "Version", "Version", 88, 40);
    copyright_ = MakeLabel(panel1_, "Copyright", "Copyright", 8, 80);
    comments_ = MakeLabel(panel1_, "Comments", "Comments", 8, 104);
    comments_->setWordWrap(true);

    okButton_ = new QPushButton("OK", this);
    okButton_->setObjectName("OKButton");
    okButton_->setGeometry(111, 180, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

QRect TAboutBox::CentringArea() const {
    const QScreen* shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return shownOn != nullptr ? shownOn->availableGeometry() : QRect();
}

// Placed as it is shown, at its final size: a box that grows after it was placed is off centre.
void TAboutBox::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QRect area = CentringArea(); area.isValid()) {
            // The window's own area, not its frame: both windows' frames are alike, and the
            // frame's size is not known until the desktop has drawn it.
            setGeometry(QRect(area.center() - rect().center(), size()));
        }
    }
    QDialog::showEvent(event);
}
