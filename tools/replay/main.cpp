// skyfence-replay: a recorded receiver log through the program's receive path, into a data file
// and, when asked, a picture of it. No window and no port.
#include "EReplayUsage.h"
#include "ReplayOptions.h"
#include "ReplayRun.h"

#include <QGuiApplication>

#include <algorithm>
#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

// Nothing is shown: Qt's notes about the display platform (a runtime folder not set, say) are no
// concern of the user and would read as a failure. Its errors still go out.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << message.toStdString() << '\n';
    }
}

} // namespace

int main(int argc, char* argv[]) {
    constexpr const char* Name = "skyfence-replay";
    // An output past the file size limit then fails and is reported, as on a full disk, instead
    // of ending the tool without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const ReplayOptions options =
            ParseReplayArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
        if (options.Help) {
            std::cout << ReplayUsage << '\n';
            return 0;
        }
        // Text on pictures needs fonts, which need the application object; nothing is shown,
        // so no display is needed either.
        int applicationArgc = 1;
        std::optional<QGuiApplication> application;
        if (options.Annotate || options.Difference || options.Report) {
            qInstallMessageHandler(QuietQtMessages);
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
            application.emplace(applicationArgc, argv);
        }
        RunReplay(options, [](const std::string& message) {
            std::cerr << Name << ": warning: " << message << '\n';
        });
        return 0;
    } catch (const EReplayUsage& error) {
        std::cerr << Name << ": " << error.what() << '\n' << ReplayUsage << '\n';
        return 2;
    } catch (const std::bad_alloc&) {
        std::cerr << Name << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << Name << ": " << error.what() << '\n';
    }
    return 1;
}
