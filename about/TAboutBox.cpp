#include "TAboutBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

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

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}
