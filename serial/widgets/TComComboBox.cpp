#include "TComComboBox.h"

#include "platform/LocaleText.h"
#include "serial/TCustomComPort.h"

#include <QAbstractItemModel>
#include <QScopedValueRollback>

TComComboBox::TComComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    // Items added straight through QComboBox reach the companion too.
    QAbstractItemModel* const itemModel = model();
    connect(itemModel, &QAbstractItemModel::rowsInserted, this, &TComComboBox::MirrorItems);
    connect(itemModel, &QAbstractItemModel::rowsRemoved, this, &TComComboBox::MirrorItems);
    connect(itemModel, &QAbstractItemModel::rowsMoved, this, &TComComboBox::MirrorItems);
    connect(itemModel, &QAbstractItemModel::dataChanged, this, &TComComboBox::MirrorItems);
    connect(itemModel, &QAbstractItemModel::modelReset, this, &TComComboBox::MirrorItems);
    connect(itemModel, &QAbstractItemModel::layoutChanged, this, &TComComboBox::MirrorItems);
    // Only the user's picks: a selection made by code is no choice to take.
    connect(this, &QComboBox::activated, this, &TComComboBox::UserPicked);
}

TComComboBox::~TComComboBox() {
    // The model outlives this part of the object; its last signals must not reach it.
    disconnect(model(), nullptr, this, nullptr);
    if (select_.ComPort != nullptr) {
        binding_.RemoveFreeNotification(*select_.ComPort);
    }
}

void TComComboBox::SetComPort(TCustomComPort* port) {
    if (port == select_.ComPort) {
        return;
    }
    if (select_.ComPort != nullptr) {
        binding_.RemoveFreeNotification(*select_.ComPort);
    }
    select_.ComPort = port;
    if (port != nullptr) {
        binding_.FreeNotification(*port);
        ReadFromPort();
    }
}

void TComComboBox::SetComProperty(TComProperty property) {
    try {
        select_.SelectProperty(property);
    } catch (...) {
        // The companion's list may be cleared already; the widget must not show a stale one.
        ShowItems();
        throw;
    }
    ShowItems();
    if (items_.Empty()) {
        return;
    }
    if (select_.ComPort == nullptr) {
        setCurrentIndex(0);
    } else {
        ReadFromPort();
    }
}

std::string TComComboBox::Text() const {
    const int index = currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.Count()) {
        return {};
    }
    return items_.Get(static_cast<std::size_t>(index));
}

void TComComboBox::SetText(const std::string& text) {
    const int index = TComSelect::IndexOfText(items_, text);
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

void TComComboBox::ReadFromPort() {
    if (const std::optional<int> index = select_.ReadFromPort()) {
        setCurrentIndex(*index);
    }
}

void TComComboBox::UserPicked() {
    select_.TakeText(Text());
    if (OnChange) {
        OnChange(*this);
    }
}

void TComComboBox::PortDestroyed() {
    select_.ComPort = nullptr;
    if (!items_.Empty()) {
        setCurrentIndex(0);
    }
}

void TComComboBox::PortBinding::Notification(TComponent& component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && &component == owner_.select_.ComPort) {
        owner_.PortDestroyed();
    }
}

void TComComboBox::MirrorItems() {
    if (showingItems_) {
        return;
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count()));
    for (int index = 0; index < count(); ++index) {
        lines.push_back(FromQString(itemText(index)));
    }
    items_ = TStringList(std::move(lines));
}

void TComComboBox::ShowItems() {
    const QScopedValueRollback showing(showingItems_, true);
    clear();
    for (const std::string& line : items_.Lines()) {
        addItem(ToQString(line));
    }
}
