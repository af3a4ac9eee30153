#pragma once

#include "TLinkedLabel.h"

#include <QPointer>

class QLabel;

// Lets the version reader write into a window's label; a label already gone is left alone.
class TLabelLink : public TLinkedLabel {
public:
    TLabelLink(TComponent* owner, QLabel* label);
    void SetCaption(const std::string& caption) override;

private:
    QPointer<QLabel> label_;
};
