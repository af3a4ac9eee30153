#pragma once

#include "TLinkedListView.h"

#include <QPointer>

class QTreeWidget;

// Lets the version reader fill a window's report-style list.
class TListViewLink : public TLinkedListView {
public:
    TListViewLink(TComponent* owner, QTreeWidget* view);
    void Reset() override;
    void AddColumn(const std::string& header) override;
    void AddItem(const std::string& caption, const std::string& subItem) override;

private:
    QPointer<QTreeWidget> view_;
};
