#include "TListViewLink.h"

#include "platform/LocaleText.h"

#include <QHeaderView>
#include <QTreeWidget>

TListViewLink::TListViewLink(TComponent* owner, QTreeWidget* view)
    : TLinkedListView(owner), view_(view) {}

void TListViewLink::Reset() {
    if (!view_) {
        return;
    }
    view_->clear();
    view_->setColumnCount(0);
    view_->setHeaderLabels({});
    view_->setRootIsDecorated(false);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->header()->setSectionsClickable(false);
}

void TListViewLink::AddColumn(const std::string& header) {
    if (!view_) {
        return;
    }
    const int column = view_->columnCount();
    view_->setColumnCount(column + 1);
    view_->headerItem()->setText(column, ToQString(header));
    view_->resizeColumnToContents(column);
}

void TListViewLink::AddItem(const std::string& caption, const std::string& subItem) {
    if (view_) {
        new QTreeWidgetItem(view_, {ToQString(caption), ToQString(subItem)});
    }
}
