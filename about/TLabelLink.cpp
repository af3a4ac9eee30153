#include "TLabelLink.h"

#include "platform/LocaleText.h"

#include <QLabel>

TLabelLink::TLabelLink(TComponent* owner, QLabel* label) : TLinkedLabel(owner), label_(label) {}

void TLabelLink::SetCaption(const std::string& caption) {
    if (label_) {
        label_->setText(ToQString(caption));
        label_->adjustSize();
    }
}
