#pragma once

#include "HorizonGrids.h"
#include "KeptSatelliteRows.h"
#include "ReceiverMode.h"
#include "ReceiverModeHint.h"
#include "ReportClock.h"
#include "SatelliteReport.h"
#include "SatelliteTable.h"
#include "SkyView.h"
#include "TalkerFramer.h"
#include "serial/TComDataPacket.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TCustomComPort;

// The way received bytes take to the maps: the data packets that cut the sentences out of the
// stream, the handlers that decode them, the satellite table and position line they show in, and
// the live grids they raise. The window and the replay tool both use it, so both handle every
// byte alike.
//
// Under the GPS-only receiver setting (the default) there are the two packets of the original
// receivers, "$GPGSV," and "$GPRMC,", and only the combined map rises. Under the all-systems
// setting a packet for each sentence hands every block to a TalkerFramer that cuts the sentences
// of every talker of AllSystemsTalkers, and each satellite also raises the map of its system.
//
// Every report of a satellite with a direction is counted in the observations of the maps it
// would raise (under the GPS-only setting the combined map's only), heard or not, at the time of
// the receiver's position sentences (see ReportClock); valid fixes add to the combined map's mean
// position.
class ReceivePath {
public:
    using PositionLine = std::function<void(const std::string& line)>;

    // `grids` and `table` must outlive the path; `showPosition` gets each decoded position line;
    // `clock` times the receiver-setting hint and the age of the receiver's time; `systemClock`
    // gives the reports' time when the receiver gives none.
    ReceivePath(HorizonGrids& grids, SatelliteTable& table, PositionLine showPosition,
                ReceiverModeHint::Clock clock = std::chrono::steady_clock::now,
                ReportClock::SystemClock systemClock = std::chrono::system_clock::now);
    // The packets' handlers hold this object.
    ReceivePath(const ReceivePath&) = delete;
    ReceivePath& operator=(const ReceivePath&) = delete;
    ~ReceivePath();

    // Makes the packets of `mode`, attached to the port as the old ones were; the sky view and
    // the hint start afresh. Not to be called from inside a packet event.
    void SetMode(ReceiverMode mode);
    ReceiverMode Mode() const { return mode_; }

    // The packets take their bytes from `port` (nullptr: from AppendBlock only). The position
    // packets are attached first, so the port serves them first.
    void SetComPort(TCustomComPort* port);

    // One block as the port would deliver it to its links.
    void AppendBlock(const std::string& block);

    // The packet events of the GPS-only setting, as its packets call them.
    void SatellitesInViewPacket(const std::string& body);
    void PositionPacket(const std::string& sentence);
    // The satellites-in-view event of the all-systems setting, for a sentence of `talker`.
    void SystemSatellitesInViewPacket(std::string_view talker, const std::string& body);

    // Under the GPS-only setting, called once when the receiver seems to need the all-systems
    // setting (see ReceiverModeHint).
    std::function<void()> OnReceiverModeHint;

    const SkyView& Sky() const { return sky_; }
    // The satellites in view as the window shows them: under the all-systems setting the sky,
    // under the GPS-only setting the table's rows.
    std::vector<InViewSatellite> InView() const;
    // Changes whenever a sentence may have changed a map or its observations, so that what is
    // drawn of them can be kept until then.
    std::uint64_t Revision() const { return revision_; }
    // The packets' names, in the order they are attached to the port.
    std::vector<std::string> PacketNames() const;

    std::size_t PositionSentences() const { return positionSentences_; }
    std::size_t SatellitesInViewSentences() const { return satellitesInViewSentences_; }

private:
    void MakePackets();
    TComDataPacket& AddPacket(std::string_view talker, std::string_view sentence,
                              bool includeStrings);
    void AddFramer(std::string_view sentence, bool keepFraming,
                   TalkerFramer::SentenceEvent handler);
    void MakeHint();
    void FoldSatellite(const InViewSatellite& satellite);
    void CountSatellites(const std::vector<InViewSatellite>& satellites);

    HorizonGrids& grids_;
    KeptSatelliteRows table_;
    PositionLine showPosition_;
    ReceiverModeHint::Clock clock_;
    ReceiverMode mode_ = DefaultReceiverMode;
    TCustomComPort* port_ = nullptr;
    SkyView sky_;
    ReceiverModeHint hint_;
    ReportClock reportClock_;
    // The reports of the sentence at hand, kept to reuse its storage.
    std::vector<SatelliteReport> reports_;
    std::size_t positionSentences_ = 0;
    std::size_t satellitesInViewSentences_ = 0;
    std::uint64_t revision_ = 0;
    std::vector<std::unique_ptr<TalkerFramer>> framers_;
    // Declared after the framers, so that they go first: no block can reach a framer gone.
    std::vector<std::unique_ptr<TComDataPacket>> packets_;
};
