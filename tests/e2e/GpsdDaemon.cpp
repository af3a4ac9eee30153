#include "GpsdDaemon.h"

#include "connection/GpsdProbe.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* Program = "/usr/sbin/gpsd";

} // namespace

std::uint16_t FreeLoopbackPort() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (listener >= 0) {
            ::close(listener);
        }
        throw std::runtime_error("no free port on the loopback");
    }
    ::close(listener);
    return ntohs(address.sin_port);
}

GpsdDaemon::GpsdDaemon(std::string device)
    : device_(std::move(device)), port_(FreeLoopbackPort()) {}

bool GpsdDaemon::Installed() {
    return std::filesystem::exists(Program);
}

std::string GpsdDaemon::Address() const {
    return "gpsd://127.0.0.1:" + std::to_string(port_);
}

bool GpsdDaemon::Start() {
    // -N: in the foreground, ours to end; -n: reading the receiver before any client asks.
    daemon_ = std::make_unique<ChildProgram>(
        Program, std::vector<std::string>{"-N", "-n", "-S", std::to_string(port_), device_});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (GpsdProbe::Answers(Address(), std::chrono::milliseconds(200))) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void GpsdDaemon::Kill() {
    if (daemon_) {
        daemon_->Signal(SIGKILL);
        daemon_->Wait(std::chrono::seconds(10));
        daemon_.reset();
    }
}
