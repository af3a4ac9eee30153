#include "TFormSkyfence.h"
#include "TSkyfenceApplication.h"
#include "TerminationSignals.h"
#include "about/TAboutBoxWEX1.h"
#include "imaging/TExtBitmap.h"
#include "platform/ExecutablePath.h"
#include "platform/Mbcs.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    TSkyfenceApplication application(argc, argv);
    InitDegreeSign();
    RegisterExtBitmap();
    int result = 0;
    {
        TFormSkyfence form(ExecutableFolder());
        // Centred on the window, which shows it for "About...".
        TAboutBoxWEX1 aboutBox(&form);
        form.SetAboutBox(&aboutBox);
        const TerminationSignals termination([&form] {
            // A message or dialog left open must not keep the program from ending.
            for (int open = 0; open < 8 && QApplication::activeModalWidget() != nullptr; ++open) {
                QApplication::activeModalWidget()->close();
            }
            form.close();
        });
        form.show();
        result = application.exec();
    }
    ClearDegreeSign();
    return result;
}
