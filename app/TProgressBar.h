#pragma once

#include <QProgressBar>

#include <algorithm>

// A progress bar that takes any position: below its minimum it shows empty, above its maximum
// full (Qt's own bar ignores a value outside its range). Position() gives what was set.
class TProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

    int Position() const { return position_; }
    void SetPosition(int position) {
        position_ = position;
        if (position < minimum()) {
            reset();
        } else {
            setValue(std::min(position, maximum()));
        }
    }

private:
    int position_ = 0;
};
