#pragma once

#include <QStatusBar>

class QLabel;

// The window's status area. Its texts run long (a lost receiver and why, what to choose in
// Setup) and the window cannot be widened, so a text shows whole, wrapped over as many lines as
// it needs, and the area grows to hold them. The message stays the status bar's own
// (currentMessage); only its single clipped line is replaced. No size grip: the window has a
// fixed size.
class StatusArea : public QStatusBar {
public:
    explicit StatusArea(QWidget* parent = nullptr);

    // Shows `text` until the next one; the area appears with its first.
    void Show(const QString& text);
    // Shows `text` on a line below what the area shows now, until the next Show.
    void Add(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QLabel* line_;
};
