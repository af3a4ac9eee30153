#include "TAboutBoxWEX.h"

#include "TLabelLink.h"
#include "TVersionInfoResource.h"
#include "WebAddress.h"
#include "platform/Exception.h"
#include "platform/ExecutablePath.h"
#include "platform/LocaleText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <filesystem>

namespace {

std::string ExecutableName() {
    try {
        return std::filesystem::path(ExecutablePath()).filename().string();
    } catch (const Exception&) {
        return {};
    }
}

} // namespace

TAboutBoxWEX::TAboutBoxWEX(QWidget* parent) : TAboutBox(parent) {
    setObjectName("AboutBoxWEX");
    setWindowTitle("AboutBoxWEX");
    setFixedSize(ClientWidth, ClientHeight);
    panel1_->setGeometry(8, 8, 345, 161);
    programIcon_->setGeometry(16, 16, 32, 32);
    productName_->setGeometry(64, 16, 81, productName_->height());
    QFont bold = productName_->font();
    bold.setBold(true);
    productName_->setFont(bold);
    version_->move(64, 40);
    comments_->setWordWrap(false);
    comments_->setText(LegalNotice);
    comments_->setGeometry(8, 104, 199, comments_->height());
    // Ampersands in names and addresses are text, not accelerator keys.
    for (QLabel* label : {productName_, version_, copyright_, comments_}) {
        label->setTextFormat(Qt::PlainText);
    }
    okButton_->move(143, 180);
    okButton_->setAutoDefault(true);

    webSite_ = new QLabel("WebSite", panel1_);
    webSite_->setObjectName("WebSite");
    webSite_->setTextFormat(Qt::PlainText);
    webSite_->setGeometry(296, 136, 41, 13);
    webSite_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    webSite_->setCursor(Qt::PointingHandCursor);
    QFont link("MS Sans Serif");
    link.setPixelSize(11);
    link.setUnderline(true);
    webSite_->setFont(link);
    QPalette palette = webSite_->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    webSite_->setPalette(palette);
    webSite_->installEventFilter(this);

    vi_ = &components_.Create<TVersionInfoResource>(&components_);
    vi_->SetName("VI");
    auto& copyrightLink = components_.Create<TLabelLink>(&components_, copyright_);
    auto& productLink = components_.Create<TLabelLink>(&components_, productName_);
    vi_->BeginLoading();
    vi_->SetCopyrightLabel(&copyrightLink);
    vi_->SetProductLabel(&productLink);
    vi_->SetShowResource(
        PreDefsOf({pdCompanyName, pdFileDescription, pdInternalName, pdLegalTrademarks,
                   pdOriginalFilename, pdProductVersion, pdComments, pdBuildFlags}));
    vi_->EndLoading();

    OpenAddress = [](const QUrl& address) { QDesktopServices::openUrl(address); };
}

TAboutBoxWEX::~TAboutBoxWEX() = default;

void TAboutBoxWEX::showEvent(QShowEvent* event) {
    FormShow();
    TAboutBox::showEvent(event);
}

QRect TAboutBoxWEX::CentringArea() const {
    return parentWidget() != nullptr ? parentWidget()->window()->geometry()
                                     : TAboutBox::CentringArea();
}

bool TAboutBoxWEX::eventFilter(QObject* watched, QEvent* event) {
    if (watched == webSite_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        WebSiteClick();
        return true;
    }
    return TAboutBox::eventFilter(watched, event);
}

void TAboutBoxWEX::FormShow() {
    setFont(QApplication::font());
    setWindowTitle(ToQString("About Brennick's " + vi_->ProductName()));
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        programIcon_->setPixmap(icon.pixmap(32, 32));
    }
    version_->setText(ToQString(ExecutableName() + ", V" + vi_->FileVersionInfo().AsText() + ", " +
                                vi_->Comments()));
    // Texts from the resource, in the desktop's font rather than the one the labels were made
    // in: each label takes the width its whole text needs.
    for (QLabel* label : {productName_, version_, copyright_, comments_}) {
        label->adjustSize();
    }
    // The address label grows to the left: its right edge stays where the design put it.
    const int right = webSite_->geometry().right();
    webSite_->setText(ToQString(vi_->GetStringValue("Web site")));
    webSite_->adjustSize();
    webSite_->move(right + 1 - webSite_->width(), webSite_->y());
}

void TAboutBoxWEX::WebSiteClick() {
    const std::string address = WebAddressToOpen(FromQString(webSite_->text()));
    if (!address.empty() && OpenAddress) {
        OpenAddress(QUrl(ToQString(address)));
    }
}
