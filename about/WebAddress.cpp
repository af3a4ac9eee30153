#include "WebAddress.h"

std::string WebAddressToOpen(const std::string& caption) {
    if (caption.empty() || caption.find("://") != std::string::npos) {
        return caption;
    }
    return "http://" + caption;
}
