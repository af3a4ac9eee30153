#include "NamedSatelliteTable.h"
#include "horizon/HorizonGrid.h"
#include "horizon/PositionSentence.h"
#include "horizon/SatellitesInViewSentence.h"
#include "platform/Mbcs.h"
#include "platform/TStringList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// Every recorded receiver log goes through both handlers; the results are checked against the
// log's .chk file: the expected output, with the sentences echoed between JSON satellite (SKY) and
// fix (TPV) reports.

namespace {

struct LogCase {
    const char* file;
    std::size_t gprmcSentences;
    // $GPGSV messages of a cycle that the .chk never reports. com-1289 loses message 3 of one
    // cycle to line noise ("24,51,098,,110,50,..."): the .chk drops it for its checksum, the
    // handler for its 13 fields, so neither counts it. Messages 1 and 2 before it are folded
    // but unreported; the receiver repeats them a second later with equal or stronger SNR, so
    // leaving them out of the expectation changes no cell (the grid comparison would say so).
    std::size_t unreportedMessages;
};

const LogCase Logs[] = {
    {"bn-9015.log", 10, 0},  {"bu353-glonass.log", 0, 0}, {"bu353s4.log", 25, 0},
    {"com-1289.log", 14, 2}, {"garmin15x.log", 7, 0},     {"gr601-w.log", 9, 0},
    {"mt3339.log", 30, 0},   {"ublox-lea-4h.log", 14, 0},
};

void PrintTo(const LogCase& log, std::ostream* out) {
    *out << log.file;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(std::string(SKYFENCE_NMEA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines = Split(text, '\n');
    for (std::string_view& line : lines) {
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
    }
    return lines;
}

class RecordingTable : public NamedSatelliteTable {
public:
    void SetLabelCaption(const std::string& name, const std::string& caption) override {
        captions[name] = caption;
    }
    void SetProgressPosition(const std::string&, int) override {}
    std::map<std::string, std::string> captions;
};

struct Feed {
    TStringList grid = NewGrid();
    RecordingTable table;
    std::vector<std::string> positions;
};

// Stand-in for the framing component: cuts sentences out of the byte stream by their markers.
Feed FeedLog(std::string_view log) {
    std::string stream;
    for (std::string_view line : Split(log, '\n')) {
        if (!line.starts_with('#')) {
            stream.append(line).push_back('\n');
        }
    }
    constexpr std::string_view Gsv = "$GPGSV,";
    Feed feed;
    for (std::size_t at = 0;;) {
        const std::size_t gsv = stream.find(Gsv, at);
        const std::size_t start = std::min(gsv, stream.find("$GPRMC,", at));
        const std::size_t star = stream.find('*', start);
        if (start == std::string::npos || star == std::string::npos) {
            return feed;
        }
        const std::string_view text(stream.data() + start, star + 1 - start);
        if (start == gsv) {
            HandleSatellitesInView(text.substr(Gsv.size(), text.size() - Gsv.size() - 1),
                                   feed.table, feed.grid);
        } else {
            feed.positions.push_back(DecodePositionSentence(text));
        }
        at = star + 1;
    }
}

// JSON reads for the flat objects of the .chk reports.
std::optional<std::string_view> After(std::string_view object, std::string_view key) {
    const std::string tag = "\"" + std::string(key) + "\":";
    const std::size_t at = object.find(tag);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return object.substr(at + tag.size());
}

std::optional<double> Number(std::string_view object, std::string_view key) {
    const auto rest = After(object, key);
    return rest ? std::optional(std::strtod(std::string(rest->substr(0, 32)).c_str(), nullptr))
                : std::nullopt;
}

struct Satellite {
    int prn, el, az, ss;
    bool hasSs, hasPosition;
};

std::vector<Satellite> Satellites(std::string_view report) {
    std::vector<Satellite> satellites;
    std::string_view rest = After(report, "satellites").value_or("");
    for (std::size_t open; (open = rest.find('{')) != std::string_view::npos;) {
        const std::string_view object = rest.substr(open, rest.find('}', open) - open);
        const auto value = [&](std::string_view key) {
            return static_cast<int>(std::lround(Number(object, key).value_or(0)));
        };
        satellites.push_back(
            {value("PRN"), value("el"), value("az"), value("ss"), Number(object, "ss").has_value(),
             Number(object, "el").has_value() && Number(object, "az").has_value()});
        rest.remove_prefix(open + object.size());
    }
    return satellites;
}

struct SkyExpectation {
    std::array<std::array<int, GridElevations>, GridAzimuths> cells{};
    std::size_t accepted = 0;
    std::size_t unreported = 0;
    std::string caption;
};

// Matches each satellite report to the echoed $GPGSV headers before it: message m of a cycle of
// n satellites carries satellites 4(m-1)+1 .. min(4m, n) in report order. From that and which
// satellites lack an SNR follows each message's field count, and so whether it is handled.
SkyExpectation ExpectedSky(const std::vector<std::string_view>& chk) {
    struct Header {
        std::string_view messages;
        int number, inView;
    };
    SkyExpectation sky;
    std::vector<Header> pending;
    for (std::string_view line : chk) {
        if (line.starts_with("$GPGSV,")) {
            const auto f = Split(line, ',');
            pending.push_back(
                {f[1], std::atoi(std::string(f[2]).c_str()), std::atoi(std::string(f[3]).c_str())});
            continue;
        }
        if (!line.starts_with("{\"class\":\"SKY\"") || !After(line, "satellites") ||
            pending.empty()) {
            continue;
        }
        std::size_t first = 0; // a message number that does not rise starts a new cycle
        for (std::size_t i = 1; i < pending.size(); ++i) {
            first = pending[i].number <= pending[i - 1].number ? i : first;
        }
        sky.unreported += first;
        // GLONASS (PRN 65-96) arrives as $GLGSV, which the handler never sees.
        std::vector<Satellite> gps = Satellites(line);
        std::erase_if(gps, [](const Satellite& s) { return s.prn >= 65 && s.prn <= 96; });
        std::size_t next = 0;
        for (std::size_t i = first; i < pending.size(); ++i) {
            const Header& h = pending[i];
            const auto carried =
                static_cast<std::size_t>(std::clamp(h.inView - 4 * (h.number - 1), 0, 4));
            if (next + carried > gps.size()) {
                ADD_FAILURE() << "report has too few satellites for its messages: " << line;
                break;
            }
            // An empty last SNR is followed only by the final comma, which adds no field.
            const bool lastSnrEmpty = carried > 0 && !gps[next + carried - 1].hasSs;
            const std::size_t fields = 3 + 4 * carried - (lastSnrEmpty ? 1 : 0);
            if (h.messages == "3" &&
                (fields == 11 || fields == 15 || fields == 18 || fields == 19)) {
                ++sky.accepted;
                sky.caption = std::to_string(h.inView) + " satellites in view";
                for (std::size_t k = 0; k < (fields - 3) / 4; ++k) {
                    const Satellite& s = gps[next + k];
                    // A satellite without a direction raises no cell.
                    if (s.prn != 0 && s.hasPosition) {
                        int& cell = sky.cells[std::clamp(s.az, 0, 359)][std::clamp(s.el, 0, 90)];
                        cell = std::max(cell, s.ss);
                    }
                }
            }
            next += carried;
        }
        EXPECT_EQ(next, gps.size()) << "satellites beyond its messages in " << line;
        pending.clear();
    }
    sky.unreported += pending.size();
    return sky;
}

// "dd<deg> mm.mm'H  ", or nothing when the minutes sit on a rounding edge the report's decimal
// degrees cannot settle.
std::optional<std::string> Coordinate(double value, const char* positive, const char* negative) {
    const double degrees = std::floor(std::fabs(value));
    const double minutes = (std::fabs(value) - degrees) * 60;
    if (std::fabs(minutes * 100 - std::floor(minutes * 100) - 0.5) < 1e-4) {
        return std::nullopt;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d%s %.2f'%s  ", static_cast<int>(degrees),
                  DegreeSign.c_str(), minutes, value < 0 ? negative : positive);
    return text;
}

// The line for a fix, from the position report carrying the sentence's time of day: some
// receivers send the next second's $GPGGA, and its report, before that.
std::optional<std::string> FixLine(const std::vector<std::string_view>& chk, std::size_t rmc,
                                   const std::string& clock) {
    for (std::size_t j = rmc + 1; j < chk.size() && !chk[j].starts_with("$GPRMC,"); ++j) {
        const auto time = After(chk[j], "time");
        const auto lat = Number(chk[j], "lat");
        const auto lon = Number(chk[j], "lon");
        if (chk[j].starts_with("{\"class\":\"TPV\"") && time && lat && lon &&
            time->substr(time->find('T') + 1, 8) == clock) {
            const auto north = Coordinate(*lat, "N", "S");
            const auto east = Coordinate(*lon, "E", "W");
            return north && east ? std::optional(clock + " UTC  " + *north + *east) : std::nullopt;
        }
    }
    return std::nullopt;
}

// One entry per echoed $GPRMC, empty where the .chk gives nothing to check against. Without a
// fix the .chk's time is absent or stale, so the time comes from the sentence.
std::vector<std::optional<std::string>>
ExpectedPositions(const std::vector<std::string_view>& chk) {
    std::vector<std::optional<std::string>> expected;
    for (std::size_t i = 0; i < chk.size(); ++i) {
        if (!chk[i].starts_with("$GPRMC,")) {
            continue;
        }
        const auto f = Split(chk[i], ',');
        if (f.size() < 3 || f[1].size() < 6) {
            expected.emplace_back();
            continue;
        }
        const std::string clock = std::string(f[1].substr(0, 2)) + ":" +
                                  std::string(f[1].substr(2, 2)) + ":" +
                                  std::string(f[1].substr(4, 2));
        expected.push_back(f[2] == "A" ? FixLine(chk, i, clock)
                                       : clock + " UTC  fix invalid, too few satellites?");
    }
    return expected;
}

class ReceiverLogTest : public testing::TestWithParam<LogCase> {
protected:
    void SetUp() override {
        savedDegreeSign_ = DegreeSign;
        DegreeSign = "\xB0";
        log_ = ReadFile(GetParam().file);
        chkText_ = ReadFile(std::string(GetParam().file) + ".chk");
        chk_ = Lines(chkText_);
    }
    void TearDown() override { DegreeSign = savedDegreeSign_; }

    std::string savedDegreeSign_, log_, chkText_;
    std::vector<std::string_view> chk_;
};

TEST_P(ReceiverLogTest, GridHoldsStrongestReportedSignalPerDirection) {
    const SkyExpectation sky = ExpectedSky(chk_);
    Feed feed = FeedLog(log_);

    ASSERT_EQ(feed.grid.Count(), static_cast<std::size_t>(GridAzimuths));
    int differences = 0, nonZero = 0;
    for (std::size_t az = 0; az < sky.cells.size(); ++az) {
        const auto cells = Split(feed.grid.Get(az), ',');
        ASSERT_EQ(cells.size(), sky.cells[az].size() + 1) << "azimuth " << az;
        EXPECT_EQ(cells[0], std::to_string(az));
        for (std::size_t el = 0; el < sky.cells[az].size(); ++el) {
            const int want = sky.cells[az][el];
            nonZero += want != 0 ? 1 : 0;
            if (cells[el + 1] != std::to_string(want) && ++differences <= 10) {
                ADD_FAILURE() << "azimuth " << az << " elevation " << el << ": expected " << want
                              << ", got " << cells[el + 1];
            }
        }
    }
    EXPECT_EQ(differences, 0);
    // Every log has 3-message $GPGSV cycles, so an all-zero grid would prove nothing.
    EXPECT_GT(sky.accepted, 0u);
    EXPECT_GT(nonZero, 0);
    EXPECT_EQ(sky.unreported, GetParam().unreportedMessages);
    EXPECT_EQ(feed.table.captions["LabelNumSatellites"], sky.caption);
    RecordProperty("acceptedMessages", static_cast<int>(sky.accepted));
    RecordProperty("nonZeroCells", nonZero);
}

TEST_P(ReceiverLogTest, PositionLinesMatchFixReports) {
    const auto expected = ExpectedPositions(chk_);
    const Feed feed = FeedLog(log_);

    EXPECT_EQ(expected.size(), GetParam().gprmcSentences);
    ASSERT_EQ(feed.positions.size(), expected.size());
    int checked = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i]) {
            ++checked;
            EXPECT_EQ(feed.positions[i], *expected[i]) << "$GPRMC number " << i + 1;
        }
    }
    if (GetParam().gprmcSentences > 0) {
        EXPECT_GT(checked, 0);
    }
    RecordProperty("checkedPositions", checked);
}

INSTANTIATE_TEST_SUITE_P(Logs, ReceiverLogTest, testing::ValuesIn(Logs),
                         [](const testing::TestParamInfo<LogCase>& param) {
                             std::string name = param.param.file;
                             name.erase(name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
