// The windows as the program makes them: with its application object, under its icon.
#include "about/TAboutBoxWEX1.h"
#include "about/TVersionInfoResource.h"
#include "app/ProgramIcon.h"
#include "app/TFormSkyfence.h"
#include "serial/widgets/TComSetupFrm.h"

#include "TemporaryFolder.h"
#include "TestNames.h"
#include "serial/widgets/FakeSerialPorts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

int Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

class ProgramIconSize : public testing::TestWithParam<int> {};

// Drawn for each size, not scaled from one: a picture at every size the desktop asks for.
TEST_P(ProgramIconSize, IsAPictureOfItsOwn) {
    const int size = GetParam();
    const QIcon icon = ProgramIcon();
    ASSERT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(size, size).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_GT(Colours(image), 4);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corners show the desktop through";
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconSize, testing::Values(16, 32, 48, 64, 128, 256));

TEST(ProgramWindows, CarryTheProgramsIcon) {
    const TemporaryFolder folder;
    TFormSkyfence form(folder.Path());
    TAboutBoxWEX1 box(&form);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    box.show();
    const auto* shown = box.findChild<QLabel*>("ProgramIcon");
    ASSERT_NE(shown, nullptr);
    const QImage image = shown->pixmap().toImage();
    EXPECT_GT(Colours(image), 4) << "a placeholder square";
    box.hide();
}

struct TitleCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>(const std::string& folder)> make;
    const char* title;
};

void PrintTo(const TitleCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowTitle : public testing::TestWithParam<TitleCase> {};

// Exactly the design's, also as the desktop shows it: Qt appends the application's display name
// to every title it hands the desktop, but only a display name the program has set.
TEST_P(WindowTitle, ReadsExactlyAsDesigned) {
    const TemporaryFolder folder;
    const std::unique_ptr<QWidget> window = GetParam().make(folder.Path());
    window->show();
    EXPECT_EQ(window->windowTitle().toStdString(), GetParam().title);
    const QString name = QApplication::applicationName();
    QApplication::setApplicationName("probe");
    EXPECT_EQ(QApplication::applicationDisplayName().toStdString(), "probe")
        << "a display name is set";
    QApplication::setApplicationName(name);
}

// The dialog reads its port list from a source that must outlive it: its own, made first.
struct NoPorts {
    FakeSerialPorts ports;
};
class SetupDialogWithoutPorts : private NoPorts, public TComSetupFrm {
public:
    SetupDialogWithoutPorts() : TComSetupFrm(ports) {}
};

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowTitle,
    testing::Values(
        TitleCase{"MainWindow",
                  [](const std::string& folder) { return std::make_unique<TFormSkyfence>(folder); },
                  "Skyfence monitor - from Quillmoor Software, Tarnholm"},
        TitleCase{"AboutBox",
                  [](const std::string&) {
                      auto box = std::make_unique<TAboutBoxWEX1>();
                      box->VI().SetFilename("/nonexistent/file");
                      return box;
                  },
                  "About Brennick's "},
        TitleCase{"SetupDialog",
                  [](const std::string&) { return std::make_unique<SetupDialogWithoutPorts>(); },
                  "Setup"}),
    CaseName());

// A single, non-sizable border: the window keeps the size of its menu bar and client area.
TEST(MainWindow, CannotBeResized) {
    const TemporaryFolder folder;
    TFormSkyfence form(folder.Path());
    form.show();
    form.findChild<QTimer*>("TimerRun")->stop(); // no reception: only the window is looked at
    QApplication::processEvents();
    const QSize shown = form.size();
    EXPECT_EQ(form.minimumSize(), shown);
    EXPECT_EQ(form.maximumSize(), shown);
    EXPECT_EQ(form.centralWidget()->size(), QSize(577, 378));
    EXPECT_EQ(form.centralWidget()->geometry().bottom() + 1, shown.height());
    form.resize(shown + QSize(200, 100));
    QApplication::processEvents();
    EXPECT_EQ(form.size(), shown);
}

} // namespace
