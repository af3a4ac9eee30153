#include "EditPortSettings.h"

#include "TComComboBox.h"
#include "TComSetupFrm.h"
#include "serial/TCustomComPort.h"

void EditPortSettings(TCustomComPort& port, const SerialPortSource& source,
                      const SetupDialogRun& run) {
    TComSetupFrm dialog(source);
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

void RunSetupDialog(TCustomComPort& port) {
    EditPortSettings(port);
}
