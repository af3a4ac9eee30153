#include "device/network/GpsdStream.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Version =
    R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,"proto_minor":14})"
    "\r\n";
const std::string Devices =
    R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3"}]})"
    "\r\n";
const std::string Watch = R"({"class":"WATCH","enable":true,"json":false,"nmea":true})"
                          "\r\n";
const std::string Gga = "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,,*6C\r\n";
const std::string Ais = "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n";

struct StreamCase {
    std::string name;
    std::string received;
    std::string sentences;
    GpsdStream::Greeting greeting;
};

void PrintTo(const StreamCase& row, std::ostream* out) {
    *out << row.name;
}

class GpsdStreams : public testing::TestWithParam<StreamCase> {};

// Whatever the pieces the network cuts the bytes into, the same sentences come out.
TEST_P(GpsdStreams, PassOnlySentences) {
    const StreamCase& row = GetParam();
    for (const std::size_t piece : {row.received.size() + 1, std::size_t{1}, std::size_t{7}}) {
        GpsdStream stream;
        std::string sentences;
        for (std::size_t at = 0; at < row.received.size(); at += piece) {
            stream.Feed(std::string_view(row.received).substr(at, piece), sentences);
        }
        EXPECT_EQ(sentences, row.sentences) << "in pieces of " << piece;
        EXPECT_EQ(stream.GreetingState(), row.greeting) << "in pieces of " << piece;
    }
}

using enum GpsdStream::Greeting;

INSTANTIATE_TEST_SUITE_P(
    Streams, GpsdStreams,
    testing::Values(
        StreamCase{"ReportsAreLeftOut", Version + Devices + Gga + Watch + Ais + Gga,
                   Gga + Ais + Gga, Received},
        StreamCase{"BareLineEnds", Version + "$GPZDA,1*54\n{}\n", "$GPZDA,1*54\n", Received},
        StreamCase{"AnUnfinishedSentenceWaits", Version + Gga.substr(0, 20), "", Received},
        StreamCase{"AnUnfinishedGreetingWaits", Version.substr(0, 30), "", Awaited},
        StreamCase{"AnotherReportFirst", Devices + Version + Gga, "", Wrong},
        StreamCase{"SomethingElseFirst", "HTTP/1.1 400 Bad Request\r\n\r\n" + Gga, "", Wrong},
        StreamCase{"ASentenceFirst", Gga + Gga, "", Wrong},
        StreamCase{"AnEmptyLineFirst", "\r\n" + Version + Gga, "", Wrong},
        StreamCase{"AnOverlongLineIsDroppedWhole",
                   Version + Gga + "$" + std::string(GpsdStream::LongestLine, 'x') + "\r\n" + Gga,
                   Gga + Gga, Received},
        StreamCase{"AnOverlongGreeting",
                   R"({"class":"VERSION","x":")" + std::string(GpsdStream::LongestLine, 'x') +
                       "\"}\r\n" + Gga,
                   "", Wrong}),
    CaseName());

struct TroubleCase {
    std::string name;
    std::string watched;
    std::string received;
    std::string trouble; // empty: none
};

void PrintTo(const TroubleCase& row, std::ostream* out) {
    *out << row.name;
}

class GpsdTroubles : public testing::TestWithParam<TroubleCase> {};

// gpsd's word that the watch brings nothing more is kept, whatever the pieces, and ends what is
// taken; the rows end with a sentence, which passes only without trouble.
TEST_P(GpsdTroubles, AreToldFromItsReports) {
    const TroubleCase& row = GetParam();
    for (const std::size_t piece : {row.received.size() + 1, std::size_t{1}, std::size_t{7}}) {
        GpsdStream stream(row.watched);
        std::string sentences;
        for (std::size_t at = 0; at < row.received.size(); at += piece) {
            stream.Feed(std::string_view(row.received).substr(at, piece), sentences);
        }
        EXPECT_EQ(stream.Trouble(), row.trouble) << "in pieces of " << piece;
        EXPECT_EQ(sentences, Gga) << "in pieces of " << piece;
    }
}

std::string Device(const std::string& path, const std::string& activated) {
    return R"({"class":"DEVICE","path":")" + path + R"(","activated":)" + activated +
           R"(,"native":0})" + "\r\n";
}

const std::string NoSuchDevice = R"({"class":"ERROR","message":"No such device as /dev/x"})"
                                 "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Reports, GpsdTroubles,
    testing::Values(
        TroubleCase{"AnError", "", Version + Gga + NoSuchDevice + Gga,
                    "gpsd answered: No such device as /dev/x"},
        TroubleCase{"AnErrorAboutTheWatchedReceiver", "/dev/x", Version + Gga + NoSuchDevice + Gga,
                    "gpsd answered: No such device as /dev/x (asked for /dev/x)"},
        TroubleCase{"AnErrorOfOddCharacters", "",
                    Version + Gga + R"({"class":"ERROR","message":"a \"b\"\\c)" + "\x01\xff" +
                        R"("})" + "\r\n" + Gga,
                    "gpsd answered: a \"b\"\\c??"},
        TroubleCase{"TheWatchedReceiverWentAway", "/dev/x",
                    Version + Gga + Device("/dev/x", "0") + Device("/dev/y", "0") + Gga,
                    "gpsd reports that the receiver /dev/x went away"},
        TroubleCase{"AnotherReceiverWentAway", "/dev/x", Version + Device("/dev/y", "0") + Gga, ""},
        TroubleCase{"AnyReceiverWhenAllAreWatched", "",
                    Version + Gga + Device("/dev/y", " 0") + Gga,
                    "gpsd reports that the receiver /dev/y went away"},
        TroubleCase{"AReceiverCameBack", "",
                    Version + Device("/dev/y", R"("2026-12-08T11:46Z")") + Gga, ""},
        TroubleCase{"TheListOfReceivers", "",
                    Version +
                        R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/y",)"
                        R"("activated":0}]})"
                        "\r\n" +
                        Gga,
                    ""}),
    CaseName());

TEST(GpsdStream, AnEndlessLineKeepsNoMoreThanTheLongestLine) {
    GpsdStream stream;
    std::string sentences;
    stream.Feed(Version, sentences);
    const std::string endless(1000, 'x');
    for (int i = 0; i < 1000; ++i) {
        stream.Feed(endless, sentences);
        ASSERT_LE(stream.Assembling(), GpsdStream::LongestLine);
    }
    stream.Feed("\n" + Gga, sentences);
    EXPECT_EQ(sentences, Gga) << "the line after it is whole again";
}

TEST(GpsdStream, TheWatchRequestNamesTheDeviceWhenThereIsOne) {
    EXPECT_EQ(GpsdStream::WatchRequest(""), "?WATCH={\"enable\":true,\"nmea\":true}\n");
    EXPECT_EQ(GpsdStream::WatchRequest("/dev/ttyACM0"),
              "?WATCH={\"enable\":true,\"nmea\":true,\"device\":\"/dev/ttyACM0\"}\n");
}

} // namespace
