#include "ControlUpdates.h"

#include "TProgressBar.h"
#include "platform/LocaleText.h"

#include <QLabel>

#include <algorithm>

namespace {

template <class Control, class Value>
void Remember(std::vector<std::pair<Control*, Value>>& pending, Control& control, Value value) {
    const auto found = std::find_if(pending.begin(), pending.end(),
                                    [&](const auto& entry) { return entry.first == &control; });
    if (found != pending.end()) {
        found->second = std::move(value);
        return;
    }
    pending.emplace_back(&control, std::move(value));
}

} // namespace

bool ControlUpdates::SetText(QLabel& label, std::string text) {
    const bool first = Empty();
    Remember(texts_, label, std::move(text));
    return first;
}

bool ControlUpdates::SetPosition(TProgressBar& bar, int position) {
    const bool first = Empty();
    Remember(positions_, bar, position);
    return first;
}

void ControlUpdates::Apply() {
    for (const auto& [label, text] : texts_) {
        const QString shown = ToQString(text);
        if (label->text() != shown) {
            label->setText(shown);
        }
    }
    for (const auto& [bar, position] : positions_) {
        if (bar->Position() != position) {
            bar->SetPosition(position);
        }
    }
    texts_.clear();
    positions_.clear();
}
