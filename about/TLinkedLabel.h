#pragma once

#include "platform/TComponent.h"

#include <string>

// A label the version reader writes into; the window side supplies the real one.
class TLinkedLabel : public TComponent {
public:
    using TComponent::TComponent;
    virtual void SetCaption(const std::string& caption) = 0;
};
