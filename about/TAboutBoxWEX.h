#pragma once

#include "TAboutBox.h"
#include "platform/TComponent.h"

#include <QUrl>

#include <functional>

class TVersionInfoResource;

// The about box filled from the program's own version resource, with a web address to click.
class TAboutBoxWEX : public TAboutBox {
public:
    explicit TAboutBoxWEX(QWidget* parent = nullptr);
    ~TAboutBoxWEX() override;

    static constexpr int ClientWidth = 362;
    // The fixed one-line legal notice.
    static constexpr const char* LegalNotice = "Distributed without warranty of any kind.";

    TVersionInfoResource& VI() { return *vi_; }

    // Opens an address with the desktop's default handler unless replaced (tests do).
    std::function<void(const QUrl& address)> OpenAddress;

    void FormShow();
    void WebSiteClick();

protected:
    // The main window that owns the box, or the screen for a box without one.
    QRect CentringArea() const override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLabel* webSite_ = nullptr;

private:
    // Owner of the version reader and the links to its labels.
    TComponent components_;
    TVersionInfoResource* vi_ = nullptr;
};
