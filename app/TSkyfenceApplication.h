#pragma once

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

// The application object. Its default error handler shows the message of an error that escapes
// an event handler and lets the event loop go on.
class TSkyfenceApplication : public QApplication {
public:
    static constexpr const char* Title = "Skyfence Plotter";

    TSkyfenceApplication(int& argc, char** argv);
    ~TSkyfenceApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled (call from a catch block).
    static void HandleException();
    static void ShowMessage(const std::string& message);
    // A line for the session's log (standard error, the journal of a service) about something
    // the window shows without a box.
    static void LogStatus(const std::string& text);

    // Wraps an event handler so that an error escaping it reaches the default error handler
    // there and then, without unwinding through the toolkit.
    template <class Handler>
    static auto Guarded(Handler handler) {
        return [handler] {
            try {
                handler();
            } catch (...) {
                HandleException();
            }
        };
    }

    // Where messages go; a message box unless replaced (tests record them instead).
    std::function<void(const std::string& message)> OnShowMessage;
};
