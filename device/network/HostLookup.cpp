#include "HostLookup.h"

#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

struct HostLookup::Shared {
    std::string host;
    std::string service;
    FileDescriptor ready;
    mutable std::mutex mutex;
    std::vector<Address> addresses;
    std::string failure;
    bool nameUnknown = false;
    bool done = false;
};

HostLookup::HostLookup(const std::string& host, std::uint16_t port)
    : shared_(std::make_shared<Shared>()) {
    shared_->host = host;
    shared_->service = std::to_string(port);
    shared_->ready.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!shared_->ready.IsOpen()) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    std::thread([shared = shared_] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const int result =
            ::getaddrinfo(shared->host.c_str(), shared->service.c_str(), &hints, &found);
        const int error = errno;
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
        std::vector<Address> addresses;
        for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
            if (entry->ai_addrlen > sizeof(sockaddr_storage)) {
                continue;
            }
            Address address;
            address.family = entry->ai_family;
            address.length = entry->ai_addrlen;
            std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
            addresses.push_back(address);
        }
        {
            const std::lock_guard lock(shared->mutex);
            shared->addresses = std::move(addresses);
            if (result == EAI_SYSTEM) {
                shared->failure = SystemErrorText(error);
            } else if (result != 0) {
                shared->failure = ::gai_strerror(result);
                shared->nameUnknown = result == EAI_NONAME || result == EAI_NODATA;
            } else if (shared->addresses.empty()) {
                shared->failure = "no address to connect to";
            }
            shared->done = true;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(shared->ready.Get(), &one, sizeof one);
    }).detach();
}

int HostLookup::ReadyEvent() const {
    return shared_->ready.Get();
}

std::vector<HostLookup::Address> HostLookup::Addresses() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->addresses;
}

std::string HostLookup::FailureText() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->failure;
}

bool HostLookup::NameUnknown() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->nameUnknown;
}

bool HostLookup::Done() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->done;
}

bool HostLookup::Finds(const std::string& host, std::uint16_t port) const {
    return shared_->host == host && shared_->service == std::to_string(port);
}
