#include "platform/ApplicationExceptions.h"
#include "platform/Exception.h"
#include "platform/MainThreadCalls.h"
#include "platform/TThread.h"

#include "MainThreadPump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

using namespace std::chrono_literals;

// A thread whose body the test supplies.
class BodyThread : public TThread {
public:
    explicit BodyThread(std::function<void()> body) : body_(std::move(body)) { Start(); }
    ~BodyThread() override { WaitFor(); }

protected:
    void Execute() override { body_(); }

private:
    std::function<void()> body_;
};

TEST(MainThreadCalls, SynchronizedCallRunsOnTheMainThreadWhileTheCallerWaits) {
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> callerResumed{false};
    BodyThread thread([&] {
        MainThreadCalls::Instance().Synchronize(
            [&] { ranOnMain = MainThreadCalls::IsMainThread() && !callerResumed; });
        callerResumed = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return callerResumed.load(); }));
    EXPECT_TRUE(ranOnMain);
}

TEST(MainThreadCalls, ErrorOfASynchronizedCallReachesTheCaller) {
    std::string caught;
    BodyThread thread([&] {
        try {
            MainThreadCalls::Instance().Synchronize([] { throw Exception("no"); });
        } catch (const Exception& error) {
            caught = error.what();
        }
    });
    thread.WaitFor();
    EXPECT_EQ(caught, "no");
}

TEST(TThread, WaitingForAThreadRunsItsPendingCallsSoNeitherWaitsForever) {
    int calls = 0;
    {
        BodyThread thread([&] {
            for (int i = 0; i < 3; ++i) {
                MainThreadCalls::Instance().Synchronize([&] { ++calls; });
            }
        });
        thread.WaitFor();
    }
    EXPECT_EQ(calls, 3);
}

TEST(MainThreadCalls, SendReleasesTheSenderOnceTaken) {
    std::atomic<bool> released{false};
    bool deliveredAfterRelease = false;
    BodyThread thread([&] {
        MainThreadCalls::Instance().Send([&] {
            // A sender that waited for the delivery would never get here to release.
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!released && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            deliveredAfterRelease = released;
        });
        released = true;
    });
    thread.WaitFor();
    EXPECT_TRUE(deliveredAfterRelease);
}

TEST(ApplicationExceptions, ErrorOnAnotherThreadIsShownOnTheMainThread) {
    std::vector<std::string> shown;
    bool onMain = false;
    SetApplicationExceptionHandler([&](const std::string& message) {
        onMain = MainThreadCalls::IsMainThread();
        shown.push_back(message);
    });
    BodyThread thread([] {
        try {
            throw Exception("lost receiver");
        } catch (...) {
            HandleApplicationException();
        }
    });
    thread.WaitFor();
    ASSERT_TRUE(PumpUntil([&] { return !shown.empty(); }));
    EXPECT_THAT(shown, testing::ElementsAre("lost receiver"));
    EXPECT_TRUE(onMain);
    SetApplicationExceptionHandler(nullptr);
}

} // namespace
