#pragma once

#include <QString>

#include <chrono>

class QAction;
class QLabel;
class QMenu;
class QObject;
class QTimer;
class QWidget;
class TProgressBar;

// The window's components as its design makes them: named, placed and sized, owned by their
// parent.

// A label of plain text at (left, top), as wide as its caption.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top);
TProgressBar* MakeProgressBar(QWidget* parent, const QString& name, int left, int top, int width,
                              int height);
QTimer* MakeTimer(QObject* owner, const char* name, std::chrono::milliseconds interval,
                  bool enabled);
QAction* MakeAction(QMenu* menu, const char* name, const char* caption);
