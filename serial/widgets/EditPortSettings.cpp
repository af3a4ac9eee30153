#include "EditPortSettings.h"

#include "TComComboBox.h"
#include "TComSetupFrm.h"
#include "serial/TCustomComPort.h"

#include <QComboBox>
#include <QFutureWatcher>

namespace {

// Items come in their places, and the row keeps what it shows or holds typed.
void AddMissingItems(QComboBox& combo, const std::vector<std::string>& items) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const QString item = QString::fromStdString(items[static_cast<std::size_t>(i)]);
        if (i >= combo.count() || combo.itemText(i) != item) {
            combo.insertItem(i, item);
        }
    }
}

// The watcher goes with the row, so that an answer after the dialog has closed reaches nothing.
void AddItemsLater(QComboBox& combo, const QFuture<std::vector<std::string>>& items) {
    auto* watcher = new QFutureWatcher<std::vector<std::string>>(&combo);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &combo, [&combo, watcher] {
        if (watcher->future().resultCount() > 0) {
            AddMissingItems(combo, watcher->result());
        }
    });
    watcher->setFuture(items);
}

} // namespace

void EditPortSettings(TCustomComPort& port, const SerialPortSource& source,
                      const SetupDialogRun& run, const std::vector<SetupChoice*>& choices) {
    TComSetupFrm dialog(source);
    for (const SetupChoice* choice : choices) {
        QStringList items;
        for (const std::string& item : choice->items) {
            items << QString::fromStdString(item);
        }
        QComboBox* const combo = dialog.AddChoice(QString::fromStdString(choice->caption), items,
                                                  choice->chosen, choice->typed);
        if (choice->typed) {
            combo->setEditText(QString::fromStdString(choice->text));
        }
        if (!choice->laterItems.isCanceled()) {
            AddItemsLater(*combo, choice->laterItems);
        }
    }
    for (TComComboBox* const combo : dialog.Combos()) {
        combo->SetComPort(&port);
    }
    // Once more now that all six are bound, in the same order.
    for (TComComboBox* const combo : dialog.Combos()) {
        combo->ReadFromPort();
    }
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted) {
        return;
    }
    for (std::size_t i = 0; i < choices.size(); ++i) {
        choices[i]->chosen = dialog.Choices()[i]->currentIndex();
        choices[i]->text = dialog.Choices()[i]->currentText().toStdString();
    }
    port.BeginSettingsUpdate();
    try {
        for (TComComboBox* const combo : dialog.Combos()) {
            combo->ApplyToPort();
        }
    } catch (...) {
        // The update must not stay open; the setter's error is the one worth reporting.
        try {
            port.EndSettingsUpdate();
        } catch (...) {
        }
        throw;
    }
    port.EndSettingsUpdate();
}

void RunSetupDialog(TCustomComPort& port, const std::vector<SetupChoice*>& choices) {
    EditPortSettings(port, SystemSerialPorts(), {}, choices);
}
