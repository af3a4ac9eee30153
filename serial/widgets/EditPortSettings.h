#pragma once

#include "serial/SerialPortList.h"
#include "serial/SetupChoice.h"

#include <functional>
#include <string>
#include <vector>

class TComSetupFrm;
class TCustomComPort;

// Shows the dialog modally and gives its result (QDialog::Accepted or Rejected). The default is
// QDialog::exec; tests pass one that presses a button instead.
using SetupDialogRun = std::function<int(TComSetupFrm& dialog)>;

// Lets the user choose the port's name and line settings in the setup dialog; they reach the
// port, all in one settings update, only when the dialog is confirmed. An unreadable port list
// (EComPort 23) fails before anything is shown; an error of a port setter propagates.
// `choices` are offered below the port's settings.
void EditPortSettings(TCustomComPort& port, const SerialPortSource& source = SystemSerialPorts(),
                      const SetupDialogRun& run = {},
                      const std::vector<SetupChoice*>& choices = {});

// The port's setup operation; it lives here so that the port itself needs no widgets.
void RunSetupDialog(TCustomComPort& port, const std::vector<SetupChoice*>& choices = {});
