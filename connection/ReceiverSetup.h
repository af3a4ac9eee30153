#pragma once

#include "NetworkSourceChoice.h"
#include "horizon/ReceiverMode.h"
#include "serial/SetupChoice.h"

#include <functional>
#include <string>
#include <vector>

class ReceivePath;
class ReceiverConnection;
class TCustomComPort;

// Setting up the receiver: the port's settings and the receiver setting, kept together under one
// settings key; the rows the setup dialog shows beside the port's settings; and reception around
// the setup, which ends for it and starts again only when everything has gone well.
class ReceiverSetup {
public:
    // Shows the port's settings with `rows` below them; both change only when the user confirms.
    using Dialog = std::function<void(TCustomComPort& port, const std::vector<SetupChoice*>& rows)>;

    // The rows the setup adds: the receiver setting, and a receiver on the network.
    struct Rows {
        SetupChoice receiver;
        SetupChoice network;
        std::vector<SetupChoice*> All() { return {&receiver, &network}; }
    };

    // `localGpsd`: where a gpsd of this machine is asked for (tests give one of their own).
    ReceiverSetup(TCustomComPort& port, ReceiverConnection& connection, ReceivePath& reception,
                  std::string settingsKey, std::string localGpsd = NetworkSourceChoice::LocalGpsd);

    // The design's port settings, the stored ones over them where they can be read, and the
    // stored receiver setting.
    void Restore();

    ReceiverMode Receiver() const;
    // A change reaches the receive path, then OnReceiverChange.
    void SetReceiver(ReceiverMode mode);
    std::function<void(ReceiverMode mode)> OnReceiverChange;

    // The rows as the settings stand. A local gpsd joins the network row when it answers: it is
    // asked on another thread, so that a machine that is slow to answer keeps no one waiting.
    Rows MakeRows() const;
    // The rows as the user left them: the port's name and the receiver setting.
    void Apply(const Rows& rows);
    // The rows, shown by `dialog`, then applied.
    void Edit(const Dialog& dialog);

    // Stores the port's settings and the receiver setting; either failing raises the port's
    // "Failed to store settings" (EComPort), whatever the store's own reason.
    void Store() const;

    // The setup as the user asks for it: reception ends, `edit` changes the settings, they are
    // stored, and reception starts again as it ran: waiting for its receiver goes on waiting, one
    // whose port was open starts as the user's Start does. Whatever raises leaves it stopped.
    void Run(const std::function<void(TCustomComPort& port)>& edit);
    // After the settings are stored, before reception starts again.
    std::function<void()> OnStored;

    // The port and its bit rate, in a few words.
    std::string PortSummary() const;

private:
    TCustomComPort& port_;
    ReceiverConnection& connection_;
    ReceivePath& reception_;
    std::string settingsKey_;
    std::string localGpsd_;
};
