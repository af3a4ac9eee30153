#include "ProgramOptions.h"
#include "TFormSkyfence.h"
#include "TSkyfenceApplication.h"
#include "TerminationSignals.h"
#include "about/TAboutBoxWEX1.h"
#include "imaging/TExtBitmap.h"
#include "platform/DataFolder.h"
#include "platform/Mbcs.h"
#include "platform/TRegistry.h"
#include "web/WebPage.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A save past the file size limit then fails and is reported, as on a full disk, instead of
    // ending the program with the map unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    TSkyfenceApplication application(argc, argv);
    std::optional<DataFolder> dataFolder;
    WebSettings web;
    try {
        const ProgramOptions options =
            ProgramOptions::Parse(std::vector<std::string>(argv + 1, argv + argc));
        dataFolder.emplace(options.dataFolder);
        web = WebSettings::Read(TFormSkyfence::SettingsKey, TRegistry::DefaultFile())
                  .Under({options.http, options.httpToken, options.httpPosition});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "skyfence: %s\n", error.what());
        return 2;
    }
    InitDegreeSign();
    RegisterExtBitmap();
    int result = 0;
    {
        TFormSkyfence form(dataFolder->Path());
        // Beside the program, where it always was, the map needs no word; anywhere else the user
        // must learn where to find it.
        if (dataFolder->Where() != DataFolder::Place::BesideProgram) {
            form.TellDataFolder();
        }
        // After the window, whose parts it shows. A page asked for and not served is an error at
        // start, not a recorder that nobody can see.
        std::optional<WebPage> page;
        if (web.Http) {
            try {
                page.emplace(form.WebView(), web, dataFolder->Path(),
                             TSkyfenceApplication::LogStatus);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "skyfence: the web page cannot be served on %s: %s\n",
                             web.Http->c_str(), error.what());
                ClearDegreeSign();
                return 3;
            }
        }
        // Centred on the window, which shows it for "About...".
        TAboutBoxWEX1 aboutBox(&form);
        form.SetAboutBox(&aboutBox);
        const TerminationSignals termination([&form] {
            // A message or dialog left open must not keep the program from ending.
            for (int open = 0; open < 8 && QApplication::activeModalWidget() != nullptr; ++open) {
                QApplication::activeModalWidget()->close();
            }
            // Closed from the loop, not from inside the signal's delivery: a failed save shows its
            // message there, and the next signal must still be heard while it is open.
            QTimer::singleShot(0, &form, [&form] {
                form.close();
                // A message raised on the way out (settings a setup left by the signal could not
                // store) must not keep the program alive once its window has closed.
                if (!form.isVisible()) {
                    QCoreApplication::quit();
                }
            });
        });
        form.show();
        result = application.exec();
    }
    ClearDegreeSign();
    return result;
}
