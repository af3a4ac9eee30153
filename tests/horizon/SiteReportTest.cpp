#include "horizon/SiteReport.h"
#include "horizon/SiteNumbers.h"
#include "platform/Exception.h"
#include "platform/Formatting.h"

#include "ConstructedSite.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

const std::string Degree = "\xC2\xB0";

// The constructed site as the receiver setting of all systems records it: the same sky for the
// combined map and GPS's, and a GLONASS map that never heard anything.
struct AllSystemsSite {
    ConstructedSite Site;
    TStringList GlonassGrid = NewGrid();
    MapObservations Glonass;

    std::vector<SiteMap> Maps() const {
        return {{std::nullopt, &Site.Grid, &Site.Observations},
                {SatelliteSystem::GPS, &Site.Grid, &Site.Observations},
                {SatelliteSystem::GLONASS, &GlonassGrid, &Glonass}};
    }
};

const AllSystemsSite& TheSite() {
    static const AllSystemsSite site;
    return site;
}

SiteReport Report(const std::string& name) {
    return SiteReport(name, TheSite().Maps(), PlotSettings{});
}

// The report a user prints holds what the site log needs, as a PDF reader extracts its text.
TEST(SiteReport, PdfTextHoldsTheSiteAndItsNumbers) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    // Kept with the test's output for a person to see.
    const std::filesystem::path output(SKYFENCE_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    const std::string pdf = (output / "site-report.pdf").string();
    const TemporaryFolder folder;
    Report("Roof of building 7").Save(pdf);
    QProcess process;
    process.start(pdftotext, {"-enc", "UTF-8", QString::fromStdString(pdf),
                              QString::fromStdString(folder.File("site.txt"))});
    ASSERT_TRUE(process.waitForFinished(30'000)) << "pdftotext did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // Table cells come apart by lines and spaces of any number.
    std::string text;
    for (const char c : ReadFileBytes(folder.File("site.txt"))) {
        const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (!space || (!text.empty() && text.back() != ' ')) {
            text += space ? ' ' : c;
        }
    }

    const SiteNumbers numbers(TheSite().Site.Observations,
                              {{SatelliteSystem::GPS, &TheSite().Site.Observations},
                               {SatelliteSystem::GLONASS, &TheSite().Glonass}},
                              HorizonProfile::DefaultThreshold);
    ASSERT_FALSE(numbers.Obstructions().empty());
    std::vector<std::string> expected{"Roof of building 7",
                                      "2027-01-15 08:00:00 UTC",
                                      FormatFixed(numbers.ObservedHours(), 1) + " hours",
                                      "52.500000" + Degree + " N, 1.250000" + Degree + " W",
                                      FormatFixed(numbers.SeenSky(), 1) + " %",
                                      FormatFixed(numbers.SeenSkyAboveMask(), 1) + " %",
                                      FormatFixed(numbers.OpenSkyAboveMask(), 1) + " %",
                                      numbers.CompletenessText()};
    for (const SiteNumbers::Sector& sector : numbers.Obstructions()) {
        expected.push_back(std::to_string(sector.From) + Degree + " " + std::to_string(sector.To) +
                           Degree + " " + std::to_string(sector.Highest) + Degree);
    }
    for (const std::string& part : expected) {
        EXPECT_THAT(text, HasSubstr(part));
    }
}

// One file to mail: every picture inside it, and the user's name for the site shown as text.
TEST(SiteReport, HtmlCarriesItsPicturesAndEscapesTheSiteName) {
    const std::string html = Report("<b>Mast & \"roof\"</b>").Html();
    std::filesystem::create_directories(SKYFENCE_TEST_OUTPUT_DIR);
    WriteFileBytes(std::string(SKYFENCE_TEST_OUTPUT_DIR) + "/site-report.html", html);
    EXPECT_THAT(html, HasSubstr("&lt;b&gt;Mast &amp; &quot;roof&quot;&lt;/b&gt;"));
    EXPECT_THAT(html, Not(HasSubstr("<b>Mast")));

    const std::string prefix = "src=\"data:image/png;base64,";
    std::vector<QSize> sizes;
    for (std::size_t at = html.find(prefix); at != std::string::npos;
         at = html.find(prefix, at + 1)) {
        const std::size_t begin = at + prefix.size();
        const QByteArray png = QByteArray::fromBase64(
            QByteArray::fromStdString(html.substr(begin, html.find('"', begin) - begin)));
        sizes.push_back(QImage::fromData(png, "PNG").size());
    }
    // The combined map, its classes, the open profile, and GPS's map; GLONASS was never heard.
    EXPECT_EQ(sizes,
              (std::vector<QSize>{SiteReport::PolarPicture, SiteReport::PolarPicture,
                                  SiteReport::RectangularPicture, SiteReport::PolarPicture}));
}

// A site just set up: nothing observed yet, which the report says instead of failing.
TEST(SiteReport, NothingObservedYetIsSaid) {
    const TStringList grid = NewGrid();
    const MapObservations observations;
    const std::string html =
        SiteReport("new", {{std::nullopt, &grid, &observations}}, PlotSettings{}).Html();
    for (const char* part :
         {"<td>First report</td><td>none</td>", "<td>Mean position</td><td>unknown</td>",
          "No satellite was reported."}) {
        EXPECT_THAT(html, HasSubstr(part));
    }
}

struct SaveCase {
    const char* name;
    const char* file;
    const char* start;
};

class SiteReportSave : public testing::TestWithParam<SaveCase> {};

TEST_P(SiteReportSave, KindFollowsTheNameAndAFailureNamesTheFile) {
    const TemporaryFolder folder;
    const ConstructedSite& site = TheSite().Site;
    const SiteReport report("site", {{std::nullopt, &site.Grid, &site.Observations}}, {});
    report.Save(folder.File(GetParam().file));
    EXPECT_THAT(ReadFileBytes(folder.File(GetParam().file)), StartsWith(GetParam().start));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{GetParam().file});
    try {
        report.Save(folder.File("missing/") + GetParam().file);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), HasSubstr(folder.File("missing/") + GetParam().file));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, SiteReportSave,
                         testing::Values(SaveCase{"pdf", "site.pdf", "%PDF-"},
                                         SaveCase{"pdf_in_capitals", "SITE.Pdf", "%PDF-"},
                                         SaveCase{"html", "site.html", "<!DOCTYPE html>"},
                                         SaveCase{"any_other_name", "site.txt", "<!DOCTYPE html>"}),
                         CaseName());

} // namespace
