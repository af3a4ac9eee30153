#include "GuiApplication.h"

#include <QGuiApplication>

#include <array>
#include <cstdlib>
#include <memory>

namespace {

// Qt keeps a reference to the argument count, so it lives as long as the application.
class OffscreenApplication {
public:
    OffscreenApplication() {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        application_ = std::make_unique<QGuiApplication>(count_, arguments_.data());
    }

private:
    std::array<char, 14> name_{"skyfence-fuzz"};
    std::array<char*, 2> arguments_{name_.data(), nullptr};
    int count_ = 1;
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace

void StartGuiApplication() {
    static const OffscreenApplication application;
}
