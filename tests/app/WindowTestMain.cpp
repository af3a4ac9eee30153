#include "WindowTestMain.h"

#include "app/TSkyfenceApplication.h"
#include "platform/MainThreadCalls.h"
#include "platform/Mbcs.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <unistd.h>

std::vector<std::string>& ShownMessages() {
    static std::vector<std::string> messages;
    return messages;
}

bool PumpWindow(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        MainThreadCalls::Instance().WaitAndRun(std::chrono::milliseconds(2));
    }
    return true;
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
    // The port settings of these tests stay apart from the user's own.
    const std::string settings = (std::filesystem::temp_directory_path() /
                                  ("skyfence-window-tests-" + std::to_string(::getpid())))
                                     .string();
    std::filesystem::create_directories(settings);
    ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
    TSkyfenceApplication application(argc, argv);
    application.OnShowMessage = [](const std::string& message) {
        ShownMessages().push_back(message);
    };
    InitDegreeSign();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(settings, ignored);
    return result;
}
