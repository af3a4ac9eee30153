#include "StatusArea.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QStyleOption>

StatusArea::StatusArea(QWidget* parent) : QStatusBar(parent), line_(new QLabel(this)) {
    setObjectName("StatusBar");
    setSizeGripEnabled(false);
    line_->setObjectName("StatusLine");
    line_->setTextFormat(Qt::PlainText);
    line_->setWordWrap(true);
    // Where a status bar's message has always begun.
    line_->setContentsMargins(4, 0, 4, 2);
    // The window's width is fixed: the text takes what it is given, whatever its length.
    line_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // A permanent widget stays while a message shows; it holds the whole width.
    addPermanentWidget(line_, 1);
    line_->installEventFilter(this);
    connect(this, &QStatusBar::messageChanged, line_, [this](QString text) {
        // A path longer than a line (a device's link, a data folder) may break after a slash.
        line_->setText(text.replace('/', QStringLiteral("/\u200B")));
        Fit();
    });
}

void StatusArea::Show(const QString& text) {
    show();
    // Laid out at once, at the window's width, so that the text is fitted to the width it gets:
    // the window grows by just the lines it takes.
    if (QWidget* window = parentWidget(); window != nullptr && window->layout() != nullptr) {
        window->layout()->activate();
    }
    showMessage(text);
}

void StatusArea::Add(const QString& text) {
    const QString shown = currentMessage();
    Show(shown.isEmpty() ? text : shown + '\n' + text);
}

// The panel alone: the label shows the message.
void StatusArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
}

// The label's width is known only once the window has laid it out; its height follows.
bool StatusArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == line_ && event->type() == QEvent::Resize) {
        Fit();
    }
    return QStatusBar::eventFilter(watched, event);
}

void StatusArea::Fit() {
    // Asked without the height it holds now, which a label never reports less than; before its
    // first text it has none to report.
    const int held = line_->minimumHeight();
    line_->setMinimumHeight(0);
    if (const int height = line_->heightForWidth(line_->width()); height > 0) {
        line_->setFixedHeight(height);
    } else {
        line_->setMinimumHeight(held);
    }
}
