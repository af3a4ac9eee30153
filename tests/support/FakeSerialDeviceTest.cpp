#include "support/FakeSerialDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <thread>

namespace {

using Strings = std::vector<std::string>;

// Blocks until the device's wait has begun, so that what follows really wakes a waiting thread.
void AwaitWaiting(FakeSerialDevice::Script& script) {
    std::unique_lock lock(script.mutex);
    script.changed.wait(lock, [&] { return script.waiting; });
}

TEST(FakeSerialDevice, RecordsEveryCallInOrder) {
    FakeSerialDevice device;
    const auto& script = *device.GetScript();
    device.GetScript()->RaiseEvents(DeviceEvent::RxChar);
    char buffer[12];
    std::uint32_t value = 0;
    std::uint32_t other = 0;
    device.Open("COM1");
    device.SetupComm(1024, 512);
    device.SetCommState(DeviceControlBlock{});
    device.SetCommTimeouts(CommTimeouts{});
    device.SetCommMask(0x05ff);
    device.WaitEvent(value);
    device.ClearCommError(value, other);
    device.GetCommModemStatus(value);
    device.PurgeComm(Purge::TxAbort | Purge::RxAbort);
    device.ReadFile(buffer, 12, value);
    device.StopWait();
    device.ResetStop();
    EXPECT_TRUE(device.IsOpen());
    device.Close();
    EXPECT_EQ(script.Calls(),
              (Strings{"Open COM1", "SetupComm 1024 512", "SetCommState", "SetCommTimeouts",
                       "SetCommMask 0x05ff", "WaitEvent", "ClearCommError", "GetCommModemStatus",
                       "PurgeComm 3", "ReadFile 12", "Close"}));
    EXPECT_EQ(script.CountCalls("Set"), 4);
    device.GetScript()->ClearCalls();
    EXPECT_TRUE(script.Calls().empty());
}

TEST(FakeSerialDevice, MaskIsWrittenWithAtLeastFourHexDigits) {
    const std::pair<std::uint32_t, std::string> cases[] = {{0, "SetCommMask 0x0000"},
                                                           {1, "SetCommMask 0x0001"},
                                                           {0x1ff, "SetCommMask 0x01ff"},
                                                           {0x12345, "SetCommMask 0x12345"}};
    for (const auto& [mask, call] : cases) {
        FakeSerialDevice device;
        device.SetCommMask(mask);
        EXPECT_EQ(device.GetScript()->Calls(), Strings{call});
        EXPECT_EQ(device.GetScript()->Mask(), mask);
    }
}

TEST(FakeSerialDevice, ScriptedFailuresAreReturnedRecordedAndLifted) {
    const std::pair<std::string, std::function<int(FakeSerialDevice&)>> operations[] = {
        {"Open", [](FakeSerialDevice& d) { return d.Open("ttyUSB0"); }},
        {"SetupComm", [](FakeSerialDevice& d) { return d.SetupComm(1, 1); }},
        {"SetCommState", [](FakeSerialDevice& d) { return d.SetCommState({}); }},
        {"SetCommTimeouts", [](FakeSerialDevice& d) { return d.SetCommTimeouts({}); }},
        {"ClearCommError",
         [](FakeSerialDevice& d) {
             std::uint32_t errors = 0;
             std::uint32_t queue = 0;
             return d.ClearCommError(errors, queue);
         }},
        {"GetCommModemStatus",
         [](FakeSerialDevice& d) {
             std::uint32_t status = 0;
             return d.GetCommModemStatus(status);
         }},
        {"PurgeComm", [](FakeSerialDevice& d) { return d.PurgeComm(Purge::RxClear); }},
        {"ReadFile",
         [](FakeSerialDevice& d) {
             char byte = 0;
             std::uint32_t read = 0;
             return d.ReadFile(&byte, 1, read);
         }},
    };
    for (const auto& [name, call] : operations) {
        FakeSerialDevice device;
        device.GetScript()->SetFailure(name, EIO);
        EXPECT_EQ(call(device), EIO) << name;
        EXPECT_EQ(device.GetScript()->CountCalls(name), 1) << name;
        device.GetScript()->SetFailure(name, 0);
        EXPECT_EQ(call(device), 0) << name;
    }
}

TEST(FakeSerialDevice, FailedCallsChangeNothing) {
    FakeSerialDevice device;
    auto& script = *device.GetScript();
    DeviceControlBlock first;
    first.BaudRate = 4800;
    device.SetCommState(first);
    script.SetFailure("SetCommState", EINVAL);
    DeviceControlBlock second;
    second.BaudRate = 9600;
    EXPECT_EQ(device.SetCommState(second), EINVAL);
    EXPECT_EQ(script.LastControlBlock(), first);
    script.SetFailure("Open", ENOENT);
    EXPECT_EQ(device.Open("COM9"), ENOENT);
    EXPECT_FALSE(device.IsOpen());
}

TEST(FakeSerialDevice, InputLineErrorsAndModemLines) {
    FakeSerialDevice device;
    auto& script = *device.GetScript();
    script.QueueInput("$GPGSV,");
    script.QueueInput("3,1*7A\r\n");
    script.SetLineErrors(LineError::Frame | LineError::Overrun);
    script.SetModemStatus(ModemStatus::CtsOn | ModemStatus::RlsdOn);

    std::uint32_t errors = 0;
    std::uint32_t queued = 0;
    EXPECT_EQ(device.ClearCommError(errors, queued), 0);
    EXPECT_EQ(errors, LineError::Frame | LineError::Overrun);
    EXPECT_EQ(queued, 15u);
    device.ClearCommError(errors, queued);
    EXPECT_EQ(errors, 0u) << "reported errors are cleared";

    char buffer[16] = {};
    std::uint32_t read = 0;
    device.ReadFile(buffer, 4, read);
    EXPECT_EQ(std::string(buffer, read), "$GPG");
    device.ReadFile(buffer, 16, read);
    EXPECT_EQ(std::string(buffer, read), "SV,3,1*7A\r\n");

    std::uint32_t status = 0;
    device.GetCommModemStatus(status);
    EXPECT_EQ(status, ModemStatus::CtsOn | ModemStatus::RlsdOn);

    script.QueueInput("abc");
    device.PurgeComm(Purge::TxClear | Purge::TxAbort);
    EXPECT_EQ(script.InputQueued(), 3u);
    device.PurgeComm(Purge::TxAbort | Purge::RxAbort);
    EXPECT_EQ(script.InputQueued(), 3u) << "an abort keeps what has been received";
    device.PurgeComm(Purge::RxClear);
    EXPECT_EQ(script.InputQueued(), 0u);
}

TEST(FakeSerialDevice, ReportsComeInOrderThenTheFailure) {
    FakeSerialDevice device;
    auto& script = *device.GetScript();
    script.RaiseEvents(DeviceEvent::RxChar);
    script.RaiseEvents(DeviceEvent::Err);
    script.FailWait();
    std::uint32_t events = 0;
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::RxChar);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::Err);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Failed);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Failed);
    EXPECT_EQ(script.CountCalls("WaitEvent"), 4);
}

TEST(FakeSerialDevice, AWaitingThreadIsWokenByAReportOrAStop) {
    FakeSerialDevice device;
    auto& script = *device.GetScript();
    std::uint32_t events = 0;
    WaitOutcome outcome = WaitOutcome::Failed;
    std::thread waiter([&] { outcome = device.WaitEvent(events); });
    AwaitWaiting(script);
    script.RaiseEvents(DeviceEvent::Ring);
    waiter.join();
    EXPECT_EQ(outcome, WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::Ring);
    EXPECT_FALSE(script.Waiting());

    waiter = std::thread([&] { outcome = device.WaitEvent(events); });
    AwaitWaiting(script);
    device.StopWait();
    waiter.join();
    EXPECT_EQ(outcome, WaitOutcome::Stopped);
}

TEST(FakeSerialDevice, AStopLastsUntilReset) {
    FakeSerialDevice device;
    device.GetScript()->RaiseEvents(DeviceEvent::RxFlag);
    device.StopWait();
    std::uint32_t events = 0;
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Stopped);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Stopped);
    device.ResetStop();
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::RxFlag);
}

} // namespace
