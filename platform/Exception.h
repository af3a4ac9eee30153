#pragma once

#include <stdexcept>
#include <string>

// Base of every error the system raises: a message meant for the user.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that is not a number of the kind asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A file that could not be read or written; the message names the file and the reason.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

// A picture file that cannot be read: not of a known kind, damaged, or beyond the sizes read.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation a picture cannot carry out in its present state, such as a pixel format it
// does not work on.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};
