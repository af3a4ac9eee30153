#include "GpsdProbe.h"

#include "device/network/ConnectAttempt.h"
#include "device/network/GpsdStream.h"
#include "device/network/NetworkAddress.h"
#include "platform/FileDescriptor.h"

#include <QPromise>
#include <QThreadPool>

#include <array>
#include <cerrno>
#include <exception>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

bool GpsdProbe::Answers(const std::string& address, std::chrono::milliseconds limit) {
    const std::optional<NetworkAddress> gpsd = NetworkAddress::Parse(address);
    const FileDescriptor neverStopped(::eventfd(0, EFD_CLOEXEC));
    if (!gpsd || !neverStopped.IsOpen()) {
        return false;
    }
    ConnectAttempt attempt(*gpsd, limit, neverStopped.Get());
    const FileDescriptor socket = attempt.Connect();
    if (!socket.IsOpen()) {
        return false;
    }
    GpsdStream stream;
    std::string sentences;
    std::array<char, 512> buffer{};
    while (stream.GreetingState() == GpsdStream::Greeting::Awaited) {
        if (!attempt.Await(socket.Get(), POLLIN)) {
            return false;
        }
        const ssize_t got = ::read(socket.Get(), buffer.data(), buffer.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        stream.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)), sentences);
    }
    return stream.GreetingState() == GpsdStream::Greeting::Received;
}

QFuture<GpsdProbe::Items> GpsdProbe::AnswersLater(const std::string& address,
                                                  std::function<Items(bool answers)> items,
                                                  std::chrono::milliseconds limit) {
    // Shared, as the pool takes only calls that can be copied.
    auto promise = std::make_shared<QPromise<Items>>();
    QFuture<Items> answer = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, address, items = std::move(items), limit] {
        bool answers = false;
        try {
            answers = Answers(address, limit);
        } catch (const std::exception&) {
            // Raised on a thread of the pool it would end the program; the setup only misses an
            // entry it could have offered.
        }
        promise->addResult(items(answers));
        promise->finish();
    });
    return answer;
}
