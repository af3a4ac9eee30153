#include "about/TAboutBoxWEX1.h"
#include "about/TVersionInfoResource.h"
#include "platform/ExecutablePath.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
