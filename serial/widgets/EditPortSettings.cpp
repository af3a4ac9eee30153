#include "EditPortSettings.h"

#include "TComComboBox.h"
#include "TComSetupFrm.h"
#include "serial/TCustomComPort.h"

#include <QComboBox>

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
