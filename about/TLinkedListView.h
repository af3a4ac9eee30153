#pragma once

#include "platform/TComponent.h"

#include <string>

// A report-style list view the version reader fills; the window side supplies the real one.
class TLinkedListView : public TComponent {
public:
    using TComponent::TComponent;
    // Drops columns and items; report style, read-only, headers not clickable.
    virtual void Reset() = 0;
    // A column sized to fit its header.
    virtual void AddColumn(const std::string& header) = 0;
    virtual void AddItem(const std::string& caption, const std::string& subItem) = 0;
};
