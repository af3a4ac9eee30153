#include "app/TSkyfenceApplication.h"
#include "platform/Mbcs.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TSkyfenceApplication application(argc, argv);
    // The receiver going away at the end of a replay is told in the status area; no message may
    // be shown.
    application.OnShowMessage = [](const std::string& message) {
        ADD_FAILURE() << "message shown: " << message;
    };
    InitDegreeSign();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
