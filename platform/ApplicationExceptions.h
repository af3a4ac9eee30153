#pragma once

#include <functional>
#include <string>

// The application's default error handler: shows the message of the exception being handled
// (call from a catch block). On another thread the message is handed to the main thread.
void HandleApplicationException();

// Where the messages go; the program shows them in a message box. Unset, they go to stderr.
void SetApplicationExceptionHandler(std::function<void(const std::string& message)> handler);
