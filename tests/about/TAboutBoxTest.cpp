#include "about/TAboutBoxWEX1.h"
#include "about/TVersionInfoResource.h"
#include "platform/ExecutablePath.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

namespace {

QString Text(const QWidget& box, const char* name) {
    const auto* label = box.findChild<QLabel*>(name);
    return label ? label->text() : "<missing>";
}

std::string ExecutableName() {
    return std::filesystem::path(ExecutablePath()).filename().string();
}

TEST(AboutBox, ShowsTheProgramsOwnVersionResource) {
    TAboutBoxWEX1 box;
    box.show();
    EXPECT_EQ(box.windowTitle(), "About Brennick's Skyfence");
    EXPECT_EQ(Text(box, "ProductName"), "Skyfence");
    EXPECT_EQ(Text(box, "Version").toStdString(), ExecutableName() + ", V1.0.0.5, 2007 Oct 03");
    EXPECT_EQ(Text(box, "WebSite"), "http://www.quillmoor.example/skyfence");
    EXPECT_TRUE(Text(box, "Copyright").contains("Quillmoor Software"));
    EXPECT_EQ(Text(box, "Comments"), TAboutBoxWEX::LegalNotice);
    EXPECT_EQ(box.size(), QSize(362, 213));
}

// Texts given at run time, in the desktop's font, are shown whole, and inside the panel.
TEST(AboutBox, LabelsShowTheirWholeText) {
    TAboutBoxWEX1 box;
    box.show();
    const auto* panel = box.findChild<QWidget*>("Panel1");
    ASSERT_NE(panel, nullptr);
    for (const char* name : {"ProductName", "Version", "Copyright", "Comments", "WebSite"}) {
        SCOPED_TRACE(name);
        const auto* label = box.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr);
        ASSERT_FALSE(label->text().isEmpty());
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width());
        EXPECT_LE(label->sizeHint().width(), label->width());
        EXPECT_TRUE(panel->rect().contains(label->geometry()))
            << label->geometry().x() << "," << label->geometry().width();
    }
}

struct CentringCase {
    const char* name;
    QRect mainWindow;
};

void PrintTo(const CentringCase& c, std::ostream* out) {
    *out << c.name;
}

class AboutBoxCentring : public testing::TestWithParam<CentringCase> {};

// Centred at its final width: a box centred first and widened after stands off to one side.
TEST_P(AboutBoxCentring, ShowsCentredOnTheMainWindow) {
    QWidget mainWindow;
    mainWindow.setGeometry(GetParam().mainWindow);
    mainWindow.show();
    TAboutBoxWEX1 box(&mainWindow);
    for (int shown = 0; shown < 2; ++shown) {
        box.show();
        QApplication::processEvents();
        const QPoint offset = box.geometry().center() - mainWindow.geometry().center();
        EXPECT_LE(std::abs(offset.x()), 1) << offset.x() << "," << offset.y();
        EXPECT_LE(std::abs(offset.y()), 1) << offset.x() << "," << offset.y();
        EXPECT_EQ(box.size(), QSize(362, 213));
        box.hide();
        mainWindow.move(mainWindow.pos() + QPoint(40, 30)); // it follows a window moved since
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindows, AboutBoxCentring,
                         testing::Values(CentringCase{"TopLeft", QRect(10, 10, 577, 400)},
                                         CentringCase{"Centre", QRect(111, 100, 577, 400)},
                                         CentringCase{"SmallerThanTheBox",
                                                      QRect(200, 150, 300, 200)}),
                         CaseName());

TEST(AboutBox, WithoutAResourceShowsEmptyParts) {
    TAboutBoxWEX1 box;
    box.VI().SetFilename("/nonexistent/file");
    std::vector<QUrl> opened;
    box.OpenAddress = [&](const QUrl& url) { opened.push_back(url); };
    box.show();
    EXPECT_EQ(box.windowTitle(), "About Brennick's ");
    EXPECT_EQ(Text(box, "Version").toStdString(), ExecutableName() + ", V, ");
    EXPECT_EQ(Text(box, "ProductName"), "");
    EXPECT_EQ(Text(box, "Copyright"), "");
    EXPECT_EQ(Text(box, "WebSite"), "");
    box.WebSiteClick();
    EXPECT_TRUE(opened.empty());
}

TEST(AboutBox, ClickOnTheWebSiteOpensItsAddress) {
    TAboutBoxWEX1 box;
    std::vector<QUrl> opened;
    box.OpenAddress = [&](const QUrl& url) { opened.push_back(url); };
    box.show();
    auto* site = box.findChild<QLabel*>("WebSite");
    ASSERT_NE(site, nullptr);
    QTest::mouseClick(site, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("http://www.quillmoor.example/skyfence"));
    site->setText("https://secure.example");
    box.WebSiteClick();
    EXPECT_EQ(opened.back(), QUrl("https://secure.example"));
}

TEST(AboutBox, EscapeAndOkClose) {
    for (const bool escape : {true, false}) {
        TAboutBoxWEX1 box;
        QTimer::singleShot(0, &box, [&] {
            if (escape) {
                QTest::keyClick(&box, Qt::Key_Escape);
            } else {
                box.findChild<QPushButton*>("OKButton")->click();
            }
        });
        EXPECT_EQ(box.exec(), escape ? QDialog::Rejected : QDialog::Accepted);
    }
}

} // namespace
