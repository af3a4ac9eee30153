#pragma once

#include <QFuture>

#include <string>
#include <vector>

// A setting the setup dialog offers beside the port's: its caption and texts, and the item chosen
// (shown first; replaced by the user's choice when the dialog is confirmed). Made where the
// setting is decided, shown by the dialog.
struct SetupChoice {
    std::string caption;
    std::vector<std::string> items;
    int chosen = 0;
    // A choice that also takes typing: `text` is shown first and holds what the box held at OK.
    bool typed = false;
    std::string text;
    // The items once a look-up still under way has answered, when there is one: those the row
    // lacks join it in their places while the dialog shows; a dialog gone by then ignores them.
    QFuture<std::vector<std::string>> laterItems = {};
};
