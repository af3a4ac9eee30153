#include "TSkyfenceApplication.h"

#include "ProgramIcon.h"
#include "platform/ApplicationExceptions.h"
#include "platform/LocaleText.h"
#include "platform/MainThreadCalls.h"

#include <QMessageBox>

#include <cstdio>

TSkyfenceApplication::TSkyfenceApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("skyfence");
    // The task bar names the program from its desktop entry. A display name is not set: Qt would
    // append it to the title of every window, and the windows' titles are the design's own.
    setDesktopFileName("skyfence");
    setWindowIcon(ProgramIcon());
    // Calls that other threads synchronise onto the main thread run from the event loop.
    MainThreadCalls::Instance().SetWakeUp([this] {
        QMetaObject::invokeMethod(
            this, [] { MainThreadCalls::Instance().RunPending(); }, Qt::QueuedConnection);
    });
    SetApplicationExceptionHandler([](const std::string& message) { ShowMessage(message); });
}

TSkyfenceApplication::~TSkyfenceApplication() {
    MainThreadCalls::Instance().SetWakeUp(nullptr);
    SetApplicationExceptionHandler(nullptr);
}

bool TSkyfenceApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException();
        return false;
    }
}

void TSkyfenceApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowMessage(error.what());
    } catch (...) {
        ShowMessage("Unknown error");
    }
}

void TSkyfenceApplication::LogStatus(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", Title, text.c_str());
    std::fflush(stderr);
}

void TSkyfenceApplication::ShowMessage(const std::string& message) {
    auto* application = dynamic_cast<TSkyfenceApplication*>(QCoreApplication::instance());
    if (application != nullptr && application->OnShowMessage) {
        application->OnShowMessage(message);
        return;
    }
    if (application == nullptr) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return;
    }
    // Also where a session log keeps it: a box can go unseen, on a desktop without a display.
    std::fprintf(stderr, "%s: %s\n", Title, message.c_str());
    std::fflush(stderr);
    QMessageBox::critical(QApplication::activeWindow(), QString::fromUtf8(Title),
                          ToQString(message));
}
