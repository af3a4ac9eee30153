#include "ReceivePath.h"

#include "HorizonGrid.h"
#include "MultiSystemSentence.h"
#include "PositionFix.h"
#include "PositionSentence.h"
#include "SatellitesInViewSentence.h"
#include "platform/Exception.h"

namespace {

// The cycle length of the original receivers: other lengths are a newer receiver's.
constexpr std::int32_t GpsOnlyMessageCount = 3;

} // namespace

ReceivePath::ReceivePath(HorizonGrids& grids, SatelliteTable& table, PositionLine showPosition,
                         ReceiverModeHint::Clock clock, ReportClock::SystemClock systemClock)
    : grids_(grids), table_(table), showPosition_(std::move(showPosition)),
      clock_(std::move(clock)), sky_(clock_), hint_(clock_),
      reportClock_(clock_, std::move(systemClock)) {
    MakeHint();
    MakePackets();
}

// The packets leave their port before the handlers they call go.
ReceivePath::~ReceivePath() {
    SetComPort(nullptr);
}

void ReceivePath::SetMode(ReceiverMode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    sky_.Clear();
    table_.Clear();
    MakeHint();
    MakePackets();
}

void ReceivePath::SetComPort(TCustomComPort* port) {
    port_ = port;
    for (const auto& packet : packets_) {
        packet->SetComPort(port);
    }
}

void ReceivePath::AppendBlock(const std::string& block) {
    if (mode_ == ReceiverMode::GpsOnly) {
        hint_.ScanBlock(block);
    }
    for (const auto& packet : packets_) {
        packet->AppendData(block);
    }
}

void ReceivePath::SatellitesInViewPacket(const std::string& body) {
    ++satellitesInViewSentences_;
    reports_.clear();
    if (HandleSatellitesInView(body, table_, grids_.HorizonGrid, &reports_)) {
        hint_.Accepted();
        if (!reports_.empty()) {
            ++revision_;
            const MapObservations::Time time = reportClock_.Now();
            for (const SatelliteReport& report : reports_) {
                grids_.Observations.Add(report.PRN, report.Azimuth, report.Elevation, report.SNR,
                                        time);
            }
        }
        return;
    }
    if (hint_.Fired()) {
        return;
    }
    const auto sentence = ParseMultiSystemSentence(GpsOnlyTalker, body);
    if (sentence && (sentence->SignalId || sentence->MessageCount != GpsOnlyMessageCount)) {
        hint_.OtherModeSentence();
    }
}

void ReceivePath::PositionPacket(const std::string& sentence) {
    const std::string line = DecodePositionSentence(sentence);
    ++positionSentences_;
    const PositionFix fix = ReadPositionFix(sentence);
    if (fix.Utc) {
        reportClock_.TakeReceiverTime(*fix.Utc);
    }
    if (fix.Position) {
        grids_.Observations.AddPosition(fix.Position->first, fix.Position->second);
    }
    // Not a sign that the setting serves the receiver: many receivers send "$GPRMC" beside
    // satellites-in-view sentences only the all-systems setting reads.
    if (showPosition_) {
        showPosition_(line);
    }
}

std::vector<InViewSatellite> ReceivePath::InView() const {
    return mode_ == ReceiverMode::AllSystems ? sky_.Satellites() : table_.Satellites();
}

void ReceivePath::SystemSatellitesInViewPacket(std::string_view talker, const std::string& body) {
    ++satellitesInViewSentences_;
    const auto sentence = ParseMultiSystemSentence(talker, body);
    if (!sentence) {
        return;
    }
    for (const InViewSatellite& satellite : sentence->Satellites) {
        if (satellite.Folded()) {
            FoldSatellite(satellite);
        }
    }
    CountSatellites(sentence->Satellites);
    sky_.Take(talker, *sentence);
    table_.ShowSatellitesInView(static_cast<std::int32_t>(sky_.Count()));
    table_.ShowSky(sky_);
}

std::vector<std::string> ReceivePath::PacketNames() const {
    std::vector<std::string> names;
    for (const auto& packet : packets_) {
        names.push_back(packet->Name());
    }
    return names;
}

void ReceivePath::MakePackets() {
    for (const auto& packet : packets_) {
        packet->SetComPort(nullptr);
    }
    packets_.clear();
    framers_.clear();
    if (mode_ == ReceiverMode::GpsOnly) {
        AddPacket(GpsOnlyTalker, "RMC", true).OnPacket =
            [this](TComDataPacket&, const std::string& text) { PositionPacket(text); };
        AddPacket(GpsOnlyTalker, "GSV", false).OnPacket =
            [this](TComDataPacket&, const std::string& text) { SatellitesInViewPacket(text); };
    } else {
        AddFramer("RMC", true,
                  [this](std::string_view, const std::string& text) { PositionPacket(text); });
        AddFramer("GSV", false, [this](std::string_view talker, const std::string& text) {
            SystemSatellitesInViewPacket(talker, text);
        });
    }
    SetComPort(port_);
}

TComDataPacket& ReceivePath::AddPacket(std::string_view talker, std::string_view sentence,
                                       bool includeStrings) {
    auto packet = std::make_unique<TComDataPacket>();
    const std::string address = std::string(talker) + std::string(sentence);
    packet->SetName("ComDataPacket" + address);
    packet->SetStartString("$" + address + ",");
    packet->SetStopString("*");
    packet->SetIncludeStrings(includeStrings);
    packets_.push_back(std::move(packet));
    return *packets_.back();
}

// The framer takes each block as the port delivers it, through a packet without start or stop.
void ReceivePath::AddFramer(std::string_view sentence, bool keepFraming,
                            TalkerFramer::SentenceEvent handler) {
    auto framer = std::make_unique<TalkerFramer>(
        sentence, std::vector<std::string>(AllSystemsTalkers.begin(), AllSystemsTalkers.end()),
        keepFraming);
    framer->OnSentence = std::move(handler);
    auto packet = std::make_unique<TComDataPacket>();
    packet->SetName("ComDataPacket" + std::string(sentence));
    packet->OnPacket = [&framer = *framer](TComDataPacket&, const std::string& block) {
        framer.AppendData(block);
    };
    framers_.push_back(std::move(framer));
    packets_.push_back(std::move(packet));
}

void ReceivePath::MakeHint() {
    hint_ = ReceiverModeHint(clock_);
    hint_.OnHint = [this] {
        if (OnReceiverModeHint) {
            OnReceiverModeHint();
        }
    };
}

// A damaged line of one map keeps only that map's cell from rising.
void ReceivePath::FoldSatellite(const InViewSatellite& satellite) {
    try {
        FoldReport(grids_.HorizonGrid, satellite.Azimuth, satellite.Elevation, satellite.SNR);
    } catch (const Exception&) {
        // Data from the receiver or a damaged data file: the other map may still take it.
    }
    if (!satellite.System) {
        return;
    }
    try {
        FoldReport(grids_.Systems.Obtain(*satellite.System), satellite.Azimuth, satellite.Elevation,
                   satellite.SNR);
    } catch (const Exception&) {
        // As above.
    }
}

// Also the satellites of a system without a map yet: those only in view give its observations,
// not a map.
void ReceivePath::CountSatellites(const std::vector<InViewSatellite>& satellites) {
    std::optional<MapObservations::Time> time;
    for (const InViewSatellite& satellite : satellites) {
        if (satellite.PRN == 0 || !satellite.HasPosition) {
            continue;
        }
        if (!time) {
            time = reportClock_.Now();
        }
        ++revision_;
        const std::int32_t snr = satellite.HasSnr ? satellite.SNR : 0;
        grids_.Observations.Add(satellite.PRN, satellite.Azimuth, satellite.Elevation, snr, *time);
        if (satellite.System) {
            grids_.Systems.ObtainObservations(*satellite.System)
                .Add(satellite.PRN, satellite.Azimuth, satellite.Elevation, snr, *time);
        }
    }
}
