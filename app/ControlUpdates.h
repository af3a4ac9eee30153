#pragma once

#include <string>
#include <utility>
#include <vector>

class QLabel;
class TProgressBar;

// Texts and bar positions meant for the window's controls, held until Apply puts them on screen
// together. A fast receiver sends thousands of sentences a second, and each would otherwise
// reach its controls and repaint them, far more often than anyone can read.
class ControlUpdates {
public:
    // Both return true for the first change since the last Apply: the moment to schedule one.
    bool SetText(QLabel& label, std::string text);
    bool SetPosition(TProgressBar& bar, int position);

    // Only the latest text or position of each control is shown; an unchanged one costs nothing.
    void Apply();
    bool Empty() const { return texts_.empty() && positions_.empty(); }

private:
    // A few controls at most, so a list is quicker to search than a map.
    std::vector<std::pair<QLabel*, std::string>> texts_;
    std::vector<std::pair<TProgressBar*, int>> positions_;
};
