#include "WindowTestMain.h"

#include "app/TSkyfenceApplication.h"
#include "platform/Mbcs.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

std::vector<std::string>& ShownMessages() {
    static std::vector<std::string> messages;
    return messages;
}

int main(int argc, char** argv) {
    // File permissions must apply to the window, as they do for a user: drop root.
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TSkyfenceApplication application(argc, argv);
    application.OnShowMessage = [](const std::string& message) {
        ShownMessages().push_back(message);
    };
    InitDegreeSign();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
