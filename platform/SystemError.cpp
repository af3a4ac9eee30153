#include "SystemError.h"

#include <system_error>

std::string SystemErrorText(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

std::string FileErrorText(const std::string& action, const std::string& path, int errorNumber) {
    return FileErrorText(action, path, SystemErrorText(errorNumber));
}

std::string FileErrorText(const std::string& action, const std::string& path,
                          const std::string& reason) {
    return "Cannot " + action + " \"" + path + "\": " + reason;
}
