#include "TemporaryFolder.h"
#include "about/TAboutBoxWEX1.h"
#include "app/TFormSkyfence.h"

#include <gtest/gtest.h>

#include <QAction>

namespace {

TEST(AboutMenu, ShowsTheAboutBoxModally) {
    const TemporaryFolder folder;
    TFormSkyfence form(folder.Path());
    TAboutBoxWEX1 box(&form);
    std::vector<QDialog*> shown;
    form.RunModal = [&](QDialog& dialog) { shown.push_back(&dialog); };
    auto* about = form.findChild<QAction*>("MenuHelpAbout");
    ASSERT_NE(about, nullptr);
    about->trigger();
    EXPECT_TRUE(shown.empty()); // no box given yet: nothing to show
    form.SetAboutBox(&box);
    about->trigger();
    EXPECT_EQ(shown, std::vector<QDialog*>{&box});
}

} // namespace
