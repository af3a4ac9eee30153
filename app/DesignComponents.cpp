#include "DesignComponents.h"

#include "TProgressBar.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

TProgressBar* MakeProgressBar(QWidget* parent, const QString& name, int left, int top, int width,
                              int height) {
    auto* bar = new TProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(false);
    bar->setGeometry(left, top, width, height);
    return bar;
}

QTimer* MakeTimer(QObject* owner, const char* name, std::chrono::milliseconds interval,
                  bool enabled) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(name);
    timer->setInterval(interval);
    if (enabled) {
        timer->start();
    }
    return timer;
}

QAction* MakeAction(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
}
