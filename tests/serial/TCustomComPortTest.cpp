#include "SerialTestSupport.h"

#include "platform/ApplicationExceptions.h"
#include "platform/MainThreadCalls.h"
#include "serial/EComPort.h"
#include "serial/TMessageReceiver.h"

#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

TEST(TCustomComPort, NewPortHasTheDefaults) {
    PortOnFake fake;
    const TCustomComPort& port = *fake.port;
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port.StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prNone);
    EXPECT_EQ(port.Events(), AllComEvents);
    EXPECT_EQ(port.SyncMethod(), TSyncMethod::smThreadSync);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
    EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
    EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 0);
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
    EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
    EXPECT_EQ(port.FlowControl().XonChar(), 17);
    EXPECT_EQ(port.FlowControl().XoffChar(), 19);
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcNone);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(fake.script->Calls().empty());
}

TEST(TCustomComPort, OddBufferSizesBecomeEven) {
    PortOnFake fake;
    TComBuffer& buffer = fake.port->Buffer();
    for (const auto& [set, stored] : {std::pair{1025, 1024}, {7, 6}, {-3, -3}, {0, 0}, {8, 8}}) {
        buffer.SetInputSize(set);
        EXPECT_EQ(buffer.InputSize(), stored) << set;
        buffer.SetOutputSize(set);
        EXPECT_EQ(buffer.OutputSize(), stored) << set;
    }
}

TEST(TCustomComPort, FlowControlShortcutRoundTrips) {
    PortOnFake fake;
    TComFlowControl& flow = fake.port->FlowControl();
    flow.SetFlowControl(TFlowControl::fcHardware);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcHardware);
    flow.SetControlDTR(TDTRFlowControl::dtrHandshake);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcHardware);
    flow.SetXonXoffIn(true);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcCustom);
    flow.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcSoftware);
    EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsDisable);
    flow.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcSoftware);
    flow.SetFlowControl(TFlowControl::fcNone);
    EXPECT_EQ(flow.FlowControl(), TFlowControl::fcNone);
    EXPECT_FALSE(flow.XonXoffOut());
}

struct ControlBlockCase {
    const char* name;
    std::function<void(TCustomComPort&)> set;
    std::function<void(DeviceControlBlock&)> expect; // the changes from the default block
};

class ControlBlock : public testing::TestWithParam<ControlBlockCase> {};

TEST_P(ControlBlock, SettingReachesItsField) {
    PortOnFake fake;
    DeviceControlBlock expected = fake.port->MakeDeviceControlBlock();
    GetParam().set(*fake.port);
    GetParam().expect(expected);
    EXPECT_EQ(fake.port->MakeDeviceControlBlock(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ControlBlock,
    testing::Values(ControlBlockCase{"Defaults", [](TCustomComPort&) {},
                                     [](DeviceControlBlock& d) {
                                         EXPECT_EQ(d.DCBlength, 28u);
                                         EXPECT_EQ(d.BaudRate, 9600u);
                                         EXPECT_TRUE(d.fBinary);
                                         EXPECT_EQ(d.ByteSize, 8);
                                         EXPECT_EQ(d.XonLim, 256);
                                         EXPECT_EQ(d.XonChar, 17);
                                     }},
                    ControlBlockCase{"CustomRate",
                                     [](TCustomComPort& p) {
                                         p.SetBaudRate(TBaudRate::brCustom);
                                         p.SetCustomBaudRate(4800);
                                     },
                                     [](DeviceControlBlock& d) { d.BaudRate = 4800; }},
                    ControlBlockCase{"TableRate",
                                     [](TCustomComPort& p) { p.SetBaudRate(TBaudRate::br256000); },
                                     [](DeviceControlBlock& d) { d.BaudRate = 256000; }},
                    ControlBlockCase{"ReplaceWithoutCheck",
                                     [](TCustomComPort& p) {
                                         p.Parity().SetReplace(true);
                                         p.Parity().SetReplaceChar('?');
                                     },
                                     [](DeviceControlBlock&) {}},
                    ControlBlockCase{"ReplaceWithCheck",
                                     [](TCustomComPort& p) {
                                         p.Parity().SetCheck(true);
                                         p.Parity().SetReplace(true);
                                         p.Parity().SetReplaceChar('?');
                                     },
                                     [](DeviceControlBlock& d) {
                                         d.fParity = true;
                                         d.fErrorChar = true;
                                         d.ErrorChar = '?';
                                     }},
                    ControlBlockCase{"LineShape",
                                     [](TCustomComPort& p) {
                                         p.SetDataBits(TDataBits::dbSeven);
                                         p.SetStopBits(TStopBits::sbOne5StopBits);
                                         p.Parity().SetBits(TParityBits::prSpace);
                                         p.SetDiscardNull(true);
                                         p.SetEventChar('\n');
                                     },
                                     [](DeviceControlBlock& d) {
                                         d.ByteSize = 7;
                                         d.StopBits = 1;
                                         d.Parity = 4;
                                         d.fNull = true;
                                         d.EvtChar = '\n';
                                     }},
                    ControlBlockCase{"Hardware",
                                     [](TCustomComPort& p) {
                                         p.FlowControl().SetFlowControl(TFlowControl::fcHardware);
                                         p.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
                                     },
                                     [](DeviceControlBlock& d) {
                                         d.fOutxCtsFlow = true;
                                         d.fRtsControl = 2;
                                         d.fDtrControl = 1;
                                     }},
                    ControlBlockCase{"Software",
                                     [](TCustomComPort& p) {
                                         p.FlowControl().SetFlowControl(TFlowControl::fcSoftware);
                                         p.FlowControl().SetXonChar('a');
                                         p.FlowControl().SetXoffChar('b');
                                     },
                                     [](DeviceControlBlock& d) {
                                         d.fOutX = true;
                                         d.fInX = true;
                                         d.XonChar = 'a';
                                         d.XoffChar = 'b';
                                     }},
                    ControlBlockCase{"OddInputSize",
                                     [](TCustomComPort& p) { p.Buffer().SetInputSize(4099); },
                                     [](DeviceControlBlock& d) {
                                         d.XonLim = 1024;
                                         d.XoffLim = 1024;
                                     }}),
    CaseName());

TEST(TCustomComPort, ChangesReachAnOpenDeviceOnlyAndOnce) {
    PortOnFake fake;
    fake.port->SetEvents({});
    fake.port->SetStopBits(TStopBits::sbTwoStopBits);
    EXPECT_TRUE(fake.script->Calls().empty());

    fake.port->Open();
    EXPECT_EQ(fake.script->LastControlBlock().StopBits, 2);
    fake.script->ClearCalls();
    fake.port->SetStopBits(TStopBits::sbOneStopBit);
    EXPECT_THAT(fake.script->Calls(), ElementsAre("SetCommState"));
    fake.port->SetStopBits(TStopBits::sbOneStopBit);
    EXPECT_EQ(fake.script->Calls().size(), 1u);

    fake.script->ClearCalls();
    fake.port->BeginSettingsUpdate();
    fake.port->SetBaudRate(TBaudRate::br4800);
    fake.port->Parity().SetBits(TParityBits::prEven);
    fake.port->Timeouts().SetReadTotalConstant(5);
    fake.port->Buffer().SetInputSize(2048);
    fake.port->SetDataBits(TDataBits::dbSeven);
    EXPECT_TRUE(fake.script->Calls().empty());
    fake.port->EndSettingsUpdate();
    EXPECT_THAT(fake.script->Calls(),
                ElementsAre("SetupComm 2048 1024", "SetCommState", "SetCommTimeouts"));
    EXPECT_EQ(fake.script->LastTimeouts().ReadIntervalTimeout, 0xFFFFFFFFu);

    fake.script->ClearCalls();
    fake.port->EndSettingsUpdate();
    EXPECT_TRUE(fake.script->Calls().empty());
}

TEST(TCustomComPort, OpenAndCloseFollowTheirSteps) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.AddLoggingLink("A");
    fake.port->AttachLink(*fake.links[0]);
    fake.script->SetModemStatus(ModemStatus::CtsOn);
    fake.port->Open();
    EXPECT_TRUE(fake.port->Connected());
    std::vector<std::string> calls = fake.script->Calls();
    // The event thread enters its wait at a moment of its own.
    std::erase(calls, "WaitEvent");
    EXPECT_THAT(calls, ElementsAre("Open COM1", "SetupComm 1024 1024", "SetCommState",
                                   "SetCommTimeouts", "SetCommMask 0x05ff", "GetCommModemStatus",
                                   "GetCommModemStatus", "GetCommModemStatus"));
    EXPECT_THAT(fake.Log(),
                ElementsAre("0 BeforeOpen", testing::EndsWith(" A.PortOpenClose on"),
                            testing::EndsWith(" AfterOpen"), testing::EndsWith(" A.CTS on"),
                            testing::EndsWith(" CTS on"), testing::EndsWith(" A.DSR off"),
                            testing::EndsWith(" DSR off"), testing::EndsWith(" A.RLSD off"),
                            testing::EndsWith(" RLSD off")));
    ASSERT_TRUE(PumpUntil([&] { return fake.script->Waiting(); }));

    fake.ClearLog();
    fake.port->Close();
    EXPECT_FALSE(fake.port->Connected());
    EXPECT_THAT(fake.Log(), ElementsAre("0 A.CTS off", "0 A.DSR off", "0 A.RLSD off", "0 CTS off",
                                        "0 DSR off", "0 RLSD off", "0 BeforeClose",
                                        testing::EndsWith(" A.PortOpenClose off"),
                                        testing::EndsWith(" AfterClose")));
    calls = fake.script->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "PurgeComm 3");
    EXPECT_EQ(calls.back(), "Close");
    EXPECT_THAT(calls, testing::Contains("SetCommMask 0x0000"));
    EXPECT_THAT(calls, testing::Contains("PurgeComm 12"));

    fake.ClearLog();
    fake.port->Close();
    EXPECT_TRUE(fake.Log().empty());
    EXPECT_TRUE(fake.script->Calls().empty());
}

struct OpenFailureCase {
    const char* name;
    const char* operation;
    int code;
};

class OpenFailure : public testing::TestWithParam<OpenFailureCase> {};

TEST_P(OpenFailure, LeavesThePortClosedWithTheCode) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.script->SetFailure(GetParam().operation, EACCES);
    try {
        fake.port->Open();
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), GetParam().code);
        EXPECT_EQ(error.SystemErrorCode(), EACCES);
        EXPECT_EQ(error.Message(), std::string(EComPort::MessageText(GetParam().code)) +
                                       " (win error code: " + std::to_string(EACCES) + ")");
    }
    EXPECT_FALSE(fake.port->Connected());
    EXPECT_FALSE(fake.port->ThreadCreated());
    EXPECT_THAT(fake.Log(), ElementsAre("0 BeforeOpen"));
    if (GetParam().code != ComError::OpenPort) {
        EXPECT_EQ(fake.script->Calls().back(), "Close");
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, OpenFailure,
                         testing::Values(OpenFailureCase{"Open", "Open", 1},
                                         OpenFailureCase{"BufferSizes", "SetupComm", 9},
                                         OpenFailureCase{"LineSettings", "SetCommState", 7},
                                         OpenFailureCase{"Timeouts", "SetCommTimeouts", 8}),
                         CaseName());

TEST(TCustomComPort, FailedPurgeAtCloseLeavesThePortOpen) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.port->Open();
    fake.script->SetFailure("PurgeComm", EIO);
    fake.ClearLog();
    EXPECT_THROW(
        {
            try {
                fake.port->Close();
            } catch (const EComPort& error) {
                EXPECT_EQ(error.ErrorCode(), 5);
                throw;
            }
        },
        EComPort);
    EXPECT_TRUE(fake.port->Connected());
    EXPECT_TRUE(fake.port->ThreadCreated());
    EXPECT_THAT(fake.Log().back(), testing::EndsWith("BeforeClose"));
    fake.script->SetFailure("PurgeComm", 0);
    fake.port->Close();
    EXPECT_FALSE(fake.port->ThreadCreated());
}

TEST(TCustomComPort, EventMaskFollowsTheEvents) {
    PortOnFake fake;
    fake.port->SetEvents({TComEvent::evRxChar});
    fake.port->Open();
    EXPECT_EQ(fake.script->Mask(), 0x0001u);
    fake.port->Close();
    fake.port->SetEvents(AllComEvents);
    fake.port->Open();
    EXPECT_EQ(fake.script->Mask(), 0x05FFu);
}

TEST(TCustomComPort, NoEventsNoThread) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.port->SetEvents({});
    fake.port->Open();
    EXPECT_TRUE(fake.port->Connected());
    EXPECT_FALSE(fake.port->ThreadCreated());
    EXPECT_EQ(fake.script->CountCalls("SetCommMask"), 0);
    EXPECT_THAT(fake.Log(), testing::Contains(testing::EndsWith("AfterOpen")));
}

TEST(TCustomComPort, SyncMethodIsRefusedWhileOpen) {
    PortOnFake fake;
    fake.port->SetSyncMethod(TSyncMethod::smNone);
    fake.port->SetSyncMethod(TSyncMethod::smThreadSync);
    fake.port->SetEvents({});
    fake.port->Open();
    try {
        fake.port->SetSyncMethod(TSyncMethod::smWindowSync);
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), 14);
        EXPECT_EQ(error.Message(), "Cannot set property while connected");
        EXPECT_EQ(error.SystemErrorCode(), -1);
    }
    EXPECT_EQ(fake.port->SyncMethod(), TSyncMethod::smThreadSync);
}

TEST(TCustomComPort, ConnectedWhileLoadingOpensWhenLoadingEnds) {
    PortOnFake fake;
    fake.port->SetEvents({});
    fake.port->BeginLoading();
    fake.port->SetConnected(true);
    EXPECT_EQ(fake.script->CountCalls("Open"), 0);
    fake.port->EndLoading();
    EXPECT_TRUE(fake.port->Connected());
    EXPECT_EQ(fake.script->CountCalls("Open"), 1);
}

TEST(TCustomComPort, FailedOpenAfterLoadingIsShownNotRaised) {
    std::vector<std::string> shown;
    SetApplicationExceptionHandler([&](const std::string& message) { shown.push_back(message); });
    PortOnFake fake;
    fake.script->SetFailure("Open", ENOENT);
    fake.port->BeginLoading();
    fake.port->SetConnected(true);
    EXPECT_NO_THROW(fake.port->EndLoading());
    EXPECT_FALSE(fake.port->Connected());
    EXPECT_THAT(shown, ElementsAre(HasSubstr("Unable to open com port")));
    SetApplicationExceptionHandler(nullptr);
}

TEST(TCustomComPort, ChangingThePortReopensAnOpenPort) {
    PortOnFake fake;
    fake.port->SetEvents({});
    fake.port->Open();
    fake.script->ClearCalls();
    fake.port->SetPort("COM3");
    const std::vector<std::string> calls = fake.script->Calls();
    EXPECT_EQ(calls.front(), "PurgeComm 3");
    EXPECT_THAT(calls, testing::Contains("Close"));
    EXPECT_THAT(calls, testing::Contains("Open COM3"));
    EXPECT_TRUE(fake.port->Connected());
}

TEST(TCustomComPort, LinksRegisterOnce) {
    PortOnFake fake;
    TComLink link;
    fake.port->AttachLink(link);
    try {
        fake.port->AttachLink(link);
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), 18);
        EXPECT_EQ(error.Message(), "Link (un)registration failed");
    }
    fake.port->DetachLink(link);
    EXPECT_THROW(fake.port->DetachLink(link), EComPort);
}

// ---- Event delivery through the event thread ---------------------------------------------

class Delivery : public testing::TestWithParam<TSyncMethod> {
protected:
    void SetUp() override {
        fake.port->SetSyncMethod(GetParam());
        fake.LogHandlers();
    }
    void TearDown() override { fake.port->Close(); }

    // Raises the report and waits until the event thread is back waiting with nothing left.
    void Report(std::uint32_t events) {
        fake.script->RaiseEvents(events);
        ASSERT_TRUE(PumpUntil([&] {
            const std::lock_guard lock(fake.script->mutex);
            return fake.script->reports.empty() && fake.script->waiting;
        }));
        MainThreadCalls::Instance().RunPending();
    }
    std::vector<std::string> Events() {
        std::vector<std::string> names;
        for (const std::string& entry : fake.Log()) {
            names.push_back(entry.substr(entry.find(' ') + 1));
        }
        return names;
    }
    void OpenQuietly() {
        fake.port->Open();
        ASSERT_TRUE(PumpUntil([&] { return fake.script->Waiting(); }));
        fake.ClearLog();
    }

    PortOnFake fake;
};

TEST_P(Delivery, RingCallsRingSlotsAndHandlerOnly) {
    fake.AddLoggingLink("A");
    fake.port->AttachLink(*fake.links[0]);
    OpenQuietly();
    Report(DeviceEvent::Ring);
    EXPECT_THAT(Events(), ElementsAre("A.Ring", "Ring"));
}

TEST_P(Delivery, CarrierReadsTheModemLines) {
    fake.AddLoggingLink("A");
    fake.port->AttachLink(*fake.links[0]);
    OpenQuietly();
    fake.script->SetModemStatus(ModemStatus::RlsdOn);
    Report(DeviceEvent::Rlsd);
    EXPECT_THAT(Events(), ElementsAre("A.RLSD on", "RLSD on"));
    EXPECT_EQ(fake.script->CountCalls("GetCommModemStatus"), 1);
}

TEST_P(Delivery, ErrorsComeBeforeData) {
    fake.AddLoggingLink("A");
    fake.port->AttachLink(*fake.links[0]);
    OpenQuietly();
    fake.script->QueueInput("$GP");
    fake.script->SetLineErrors(LineError::Frame);
    Report(DeviceEvent::Err | DeviceEvent::RxChar);
    EXPECT_THAT(Events(), ElementsAre("Error 1", "A.RxActivity on", "A.RxActivity off", "RxBuf $GP",
                                      "A.RxData $GP"));
}

INSTANTIATE_TEST_SUITE_P(AllModes, Delivery,
                         testing::Values(TSyncMethod::smThreadSync, TSyncMethod::smWindowSync,
                                         TSyncMethod::smNone));

TEST(Receive, WithoutALinkTheBytesStayAndRxCharFires) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.script->QueueInput("$GPGSV,3,1,1");
    fake.port->SetEvents({});
    fake.port->Open();
    fake.ClearLog();
    fake.port->DeliverEvent(TComEvent::evRxChar);
    EXPECT_THAT(fake.Log(), ElementsAre(testing::EndsWith("RxChar 12")));
    EXPECT_EQ(fake.script->InputQueued(), 12u);
    EXPECT_EQ(fake.script->CountCalls("ReadFile"), 0);
}

TEST(Receive, TwoReceiversGetOneReadBlockInAttachOrder) {
    PortOnFake fake;
    fake.LogHandlers();
    TComLink first;
    TComLink second;
    std::vector<std::string> received;
    first.OnRxData = [&](TCustomComPort&, const void* data, std::int32_t count) {
        received.push_back("1:" + std::string(static_cast<const char*>(data), count));
    };
    second.OnRxData = [&](TCustomComPort&, const void* data, std::int32_t count) {
        received.push_back("2:" + std::string(static_cast<const char*>(data), count));
    };
    fake.port->AttachLink(first);
    fake.port->AttachLink(second);
    fake.script->QueueInput("$GPGSV,3,1,1");
    fake.port->SetEvents({});
    fake.port->Open();
    fake.ClearLog();
    fake.port->DeliverEvent(TComEvent::evRxChar);
    EXPECT_THAT(received, ElementsAre("1:$GPGSV,3,1,1", "2:$GPGSV,3,1,1"));
    EXPECT_THAT(fake.Log(), ElementsAre(testing::EndsWith("RxBuf $GPGSV,3,1,1")));
    EXPECT_EQ(fake.script->CountCalls("ReadFile 12"), 1);
    EXPECT_EQ(fake.script->InputQueued(), 0u);
}

TEST(Receive, NothingPendingCallsNothing) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.AddLoggingLink("A");
    fake.port->AttachLink(*fake.links[0]);
    fake.port->SetEvents({});
    fake.port->Open();
    fake.ClearLog();
    fake.port->DeliverEvent(TComEvent::evRxChar);
    EXPECT_TRUE(fake.Log().empty());
}

TEST(Receive, LinkAssignedAfterAttachingWaitsForTheNextAttach) {
    PortOnFake fake;
    fake.LogHandlers();
    TComLink late;
    fake.port->AttachLink(late);
    std::string got;
    late.OnRxData = [&](TCustomComPort&, const void* data, std::int32_t count) {
        got.assign(static_cast<const char*>(data), count);
    };
    fake.script->QueueInput("abc");
    fake.port->SetEvents({});
    fake.port->Open();
    fake.port->DeliverEvent(TComEvent::evRxChar);
    EXPECT_EQ(got, "");
    TComLink other;
    fake.port->AttachLink(other);
    fake.port->DeliverEvent(TComEvent::evRxChar);
    EXPECT_EQ(got, "abc");
}

TEST(LineErrors, ParityCountsOnlyWhenChecked) {
    PortOnFake fake;
    fake.LogHandlers();
    fake.port->SetEvents({});
    fake.port->Open();
    fake.ClearLog();
    fake.script->SetLineErrors(LineError::RxParity);
    fake.port->DeliverEvent(TComEvent::evError);
    EXPECT_TRUE(fake.Log().empty());
    fake.port->Parity().SetCheck(true);
    fake.script->SetLineErrors(LineError::RxParity | LineError::IOE);
    EXPECT_EQ(fake.port->ReadLineErrors(), (TComErrors{TComError::errRxParity, TComError::errIO}));
}

TEST(Dispatch, HandlerErrorIsShownAndDeliveryGoesOn) {
    std::vector<std::string> shown;
    SetApplicationExceptionHandler([&](const std::string& message) { shown.push_back(message); });
    PortOnFake fake;
    int rings = 0;
    fake.port->OnRing = [&](TCustomComPort&) {
        if (++rings == 1) {
            throw Exception("bad ring");
        }
    };
    fake.port->Open();
    fake.script->RaiseEvents(DeviceEvent::Ring);
    fake.script->RaiseEvents(DeviceEvent::Ring);
    ASSERT_TRUE(PumpUntil([&] { return rings == 2; }));
    EXPECT_THAT(shown, ElementsAre("bad ring"));
    fake.port->Close();
    SetApplicationExceptionHandler(nullptr);
}

// Until the event thread has taken the last report and left the wait, without running what it
// hands to the main thread.
bool AwaitHandedOver(const PortOnFake& fake) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        {
            const std::lock_guard lock(fake.script->mutex);
            if (fake.script->reports.empty() && !fake.script->waiting) {
                return true;
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(Dispatch, CloseWhileADispatchIsHandedOverReturns) {
    PortOnFake fake;
    int rings = 0;
    fake.port->OnRing = [&](TCustomComPort&) { ++rings; };
    fake.port->Open();
    fake.script->RaiseEvents(DeviceEvent::Ring);
    // The event thread now waits for the main thread, which does not run it before closing.
    ASSERT_TRUE(AwaitHandedOver(fake));
    fake.port->Close();
    EXPECT_EQ(rings, 1);
    EXPECT_FALSE(fake.port->Connected());
}

TEST(Dispatch, CloseDeliversTheBytesOfADispatchHandedOver) {
    PortOnFake fake;
    TComLink& link = fake.AddLoggingLink("A");
    fake.port->AttachLink(link);
    fake.port->Open();
    fake.script->QueueInput("$GPRMC,1*");
    fake.script->RaiseEvents(DeviceEvent::RxChar);
    ASSERT_TRUE(AwaitHandedOver(fake));
    fake.ClearLog();
    fake.port->Close();
    const std::vector<std::string> calls = fake.script->Calls();
    EXPECT_THAT(fake.Log(), testing::Contains(testing::EndsWith("A.RxData $GPRMC,1*")));
    EXPECT_THAT(calls, testing::IsSupersetOf({"PurgeComm 3", "ReadFile 9", "PurgeComm 12"}));
    EXPECT_EQ(fake.script->InputQueued(), 0u);
}

// A handler or link that closes the port while an event is delivered: the delivery goes on to
// its end, then the port closes as after any Close, and the rest of the report is dropped.
enum class Closer { Error, RxBuf, FirstLink };

struct CloseInDeliveryCase {
    const char* name;
    TSyncMethod syncMethod;
    Closer closer;
};

void PrintTo(const CloseInDeliveryCase& row, std::ostream* out) {
    *out << row.name;
}

class CloseInDelivery : public testing::TestWithParam<CloseInDeliveryCase> {
protected:
    PortOnFake fake;
};

TEST_P(CloseInDelivery, ClosesOnceTheDeliveryHasReturned) {
    const CloseInDeliveryCase& row = GetParam();
    fake.port->SetSyncMethod(row.syncMethod);
    fake.LogHandlers();
    TComLink& first = fake.AddLoggingLink("A");
    TComLink& second = fake.AddLoggingLink("B");
    fake.port->AttachLink(first);
    fake.port->AttachLink(second);
    // Read on the main thread only, after the event thread has ended.
    bool closed = false;
    fake.port->OnAfterClose = [&, logged = fake.port->OnAfterClose](TCustomComPort& port) {
        logged(port);
        closed = true;
    };
    std::atomic<bool> connectedAfterClose = true;
    const auto close = [&](TCustomComPort& port) {
        port.Close();
        connectedAfterClose = port.Connected();
    };
    switch (row.closer) {
    case Closer::Error:
        fake.port->OnError = [close, logged = fake.port->OnError](TCustomComPort& p, TComErrors e) {
            logged(p, e);
            close(p);
        };
        break;
    case Closer::RxBuf:
        fake.port->OnRxBuf = [close, logged = fake.port->OnRxBuf](TCustomComPort& p,
                                                                  const void* data, int count) {
            logged(p, data, count);
            close(p);
        };
        break;
    case Closer::FirstLink:
        first.OnRxData = [close, logged = first.OnRxData](TCustomComPort& p, const void* data,
                                                          int count) {
            logged(p, data, count);
            close(p);
        };
        break;
    }
    fake.port->Open();
    ASSERT_TRUE(PumpUntil([&] { return fake.script->Waiting(); }));
    fake.ClearLog();

    fake.script->QueueInput("$GPRMC,1*");
    fake.script->SetLineErrors(LineError::IOE);
    fake.script->RaiseEvents(DeviceEvent::Err | DeviceEvent::RxChar | DeviceEvent::Ring);
    ASSERT_TRUE(PumpUntil([&] { return closed; }));

    EXPECT_FALSE(connectedAfterClose) << "a port asked to close no longer says it is connected";
    EXPECT_FALSE(fake.port->Connected());
    EXPECT_FALSE(fake.port->ThreadCreated());
    std::vector<std::string> expected = {"Error 16"};
    if (row.closer != Closer::Error) {
        expected.insert(expected.end(), {"A.RxActivity on", "B.RxActivity on", "A.RxActivity off",
                                         "B.RxActivity off", "RxBuf $GPRMC,1*",
                                         "A.RxData $GPRMC,1*", "B.RxData $GPRMC,1*"});
    }
    expected.insert(expected.end(),
                    {"A.CTS off", "B.CTS off", "A.DSR off", "B.DSR off", "A.RLSD off", "B.RLSD off",
                     "CTS off", "DSR off", "RLSD off", "BeforeClose", "A.PortOpenClose off",
                     "B.PortOpenClose off", "AfterClose"});
    std::vector<std::string> seen;
    for (const std::string& entry : fake.Log()) {
        seen.push_back(entry.substr(entry.find(' ') + 1));
    }
    EXPECT_EQ(seen, expected);
    const std::vector<std::string> calls = fake.script->Calls();
    EXPECT_THAT(calls,
                testing::IsSupersetOf({"PurgeComm 3", "SetCommMask 0x0000", "PurgeComm 12"}));
    EXPECT_EQ(calls.back(), "Close");
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, CloseInDelivery,
    testing::Values(
        CloseInDeliveryCase{"ErrorThreadSync", TSyncMethod::smThreadSync, Closer::Error},
        CloseInDeliveryCase{"RxBufThreadSync", TSyncMethod::smThreadSync, Closer::RxBuf},
        CloseInDeliveryCase{"LinkThreadSync", TSyncMethod::smThreadSync, Closer::FirstLink},
        CloseInDeliveryCase{"ErrorWindowSync", TSyncMethod::smWindowSync, Closer::Error},
        CloseInDeliveryCase{"RxBufWindowSync", TSyncMethod::smWindowSync, Closer::RxBuf},
        CloseInDeliveryCase{"ErrorNoSync", TSyncMethod::smNone, Closer::Error},
        CloseInDeliveryCase{"LinkNoSync", TSyncMethod::smNone, Closer::FirstLink}),
    CaseName());

TEST(CloseInDelivery, AnOpenAfterTheCloseReopensOnceTheDeliveryHasReturned) {
    PortOnFake fake;
    int opened = 0;
    fake.port->OnAfterOpen = [&](TCustomComPort&) { ++opened; };
    fake.port->OnRing = [](TCustomComPort& port) {
        port.Close();
        port.Open();
    };
    fake.port->Open();
    fake.script->ClearCalls();
    fake.script->RaiseEvents(DeviceEvent::Ring);
    ASSERT_TRUE(PumpUntil([&] { return opened == 2; }));
    EXPECT_TRUE(fake.port->Connected());
    EXPECT_TRUE(fake.port->ThreadCreated());
    const std::vector<std::string> calls = fake.script->Calls();
    const auto closed = std::find(calls.begin(), calls.end(), "Close");
    ASSERT_NE(closed, calls.end());
    EXPECT_NE(std::find(closed, calls.end(), "Open COM1"), calls.end());
    fake.port->Close();
}

// ---- Priority of the event thread ---------------------------------------------------------

// Whether this process may do what some priorities need; tried on a thread of its own.
bool ThreadMay(const std::function<bool()>& attempt) {
    bool allowed = false;
    std::thread([&] { allowed = attempt(); }).join();
    return allowed;
}

int NiceOf(pid_t thread) {
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
}

enum class Nice { Same, Higher, Lower };

struct PriorityCase {
    const char* name;
    TThreadPriority priority;
    int policy;
    Nice nice; // compared with the thread that opens the port
};

void PrintTo(const PriorityCase& row, std::ostream* out) {
    *out << row.name;
}

class EventPriority : public testing::TestWithParam<PriorityCase> {};

TEST_P(EventPriority, ReachesTheEventThread) {
    const PriorityCase& row = GetParam();
    const int ownNice = NiceOf(::gettid());
    const bool mayRaiseNice = ThreadMay([&] {
        return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), ownNice - 1) == 0;
    });
    const bool mayRunRealTime = ThreadMay([] {
        sched_param parameters{};
        parameters.sched_priority = ::sched_get_priority_min(SCHED_RR);
        return ::sched_setscheduler(::gettid(), SCHED_RR, &parameters) == 0;
    });
    int policy = row.policy;
    Nice nice = row.nice;
    if (policy == SCHED_RR && !mayRunRealTime) {
        policy = SCHED_OTHER;
    }
    if (nice == Nice::Lower && !mayRaiseNice) {
        nice = Nice::Same;
    }

    PortOnFake fake;
    fake.port->SetEventPriority(row.priority);
    fake.port->Open();
    const pid_t thread = fake.port->EventThreadSystemId();
    ASSERT_NE(thread, 0);
    EXPECT_EQ(::sched_getscheduler(thread), policy);
    if (policy == SCHED_OTHER) {
        const int threadNice = NiceOf(thread);
        switch (nice) {
        case Nice::Same:
            EXPECT_EQ(threadNice, ownNice);
            break;
        case Nice::Higher:
            EXPECT_GT(threadNice, ownNice);
            break;
        case Nice::Lower:
            EXPECT_LT(threadNice, ownNice);
            break;
        }
    }
    EXPECT_EQ(NiceOf(::gettid()), ownNice) << "the opening thread keeps its own";
    fake.port->Close();
    EXPECT_EQ(fake.port->EventThreadSystemId(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, EventPriority,
    testing::Values(PriorityCase{"Idle", TThreadPriority::tpIdle, SCHED_IDLE, Nice::Same},
                    PriorityCase{"Lowest", TThreadPriority::tpLowest, SCHED_OTHER, Nice::Higher},
                    PriorityCase{"Lower", TThreadPriority::tpLower, SCHED_OTHER, Nice::Higher},
                    PriorityCase{"Normal", TThreadPriority::tpNormal, SCHED_OTHER, Nice::Same},
                    PriorityCase{"Higher", TThreadPriority::tpHigher, SCHED_OTHER, Nice::Lower},
                    PriorityCase{"Highest", TThreadPriority::tpHighest, SCHED_OTHER, Nice::Lower},
                    PriorityCase{"TimeCritical", TThreadPriority::tpTimeCritical, SCHED_RR,
                                 Nice::Same}),
    CaseName());

TEST(EventPriority, LowestIsBelowLower) {
    std::vector<int> nices;
    for (const TThreadPriority priority : {TThreadPriority::tpLowest, TThreadPriority::tpLower}) {
        PortOnFake fake;
        fake.port->SetEventPriority(priority);
        fake.port->Open();
        nices.push_back(NiceOf(fake.port->EventThreadSystemId()));
    }
    EXPECT_GT(nices[0], nices[1]);
}

TEST(Dispatch, DeviceGoneEndsTheThreadAfterOneIoError) {
    PortOnFake fake;
    std::vector<TComErrors> errors;
    fake.port->OnError = [&](TCustomComPort&, TComErrors e) { errors.push_back(e); };
    fake.port->Open();
    fake.script->SetLineErrors(LineError::IOE);
    fake.script->RaiseEvents(DeviceEvent::Err);
    fake.script->FailWait();
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_THAT(errors, ElementsAre(TComErrors{TComError::errIO}));
    ASSERT_TRUE(PumpUntil([&] { return fake.script->CountCalls("SetCommMask 0x0000") == 1; }));
    fake.port->Close();
}

TEST(WindowSync, MessageAfterCloseIsIgnored) {
    PortOnFake fake;
    fake.LogHandlers();
    TMessageReceiver receiver(*fake.port);
    receiver.Receive(TMessageReceiver::EventMessage, DeviceEvent::Ring);
    EXPECT_TRUE(fake.Log().empty());
    fake.port->SetEvents({});
    fake.port->Open();
    fake.ClearLog();
    receiver.Receive(TMessageReceiver::EventMessage, DeviceEvent::Ring);
    receiver.Receive(TMessageReceiver::EventMessage + 1, DeviceEvent::Ring);
    receiver.Receive(TMessageReceiver::EventMessage, 0x8000);
    EXPECT_THAT(fake.Log(), ElementsAre("0 Ring"));
}

} // namespace
