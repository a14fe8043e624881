// The port component over a simulated driver: notifications and call order,
// setup failures, closing, renaming, pin switching and the event thread with
// its hand-over to the UI thread.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "SerialTestSupport.h"
#include "SimulatedSerialDriver.h"
#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::serveUntil;
using testing::SimulatedSerialDriver;
using testing::waitUntil;
using Calls = std::vector<std::string>;

template <typename F>
EComPort comErrorOf(F&& operation) {
    try {
        operation();
    } catch (const EComPort& e) {
        return e;
    }
    ADD_FAILURE() << "no EComPort raised";
    return EComPort(ComErrorCode::RegistryError, -999);
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        port = std::make_unique<TComPort>(sim);
    }

    void recordNotifications() {
        port->OnBeforeOpen = [this](TComPort&) { sim->note("OnBeforeOpen"); };
        port->OnAfterOpen = [this](TComPort&) { sim->note("OnAfterOpen"); };
        port->OnBeforeClose = [this](TComPort&) { sim->note("OnBeforeClose"); };
        port->OnAfterClose = [this](TComPort&) { sim->note("OnAfterClose"); };
        port->OnCTSChange = [this](TComPort&, bool on) { sim->note(on ? "CTS on" : "CTS off"); };
        port->OnDSRChange = [this](TComPort&, bool on) { sim->note(on ? "DSR on" : "DSR off"); };
        port->OnRLSDChange = [this](TComPort&, bool on) { sim->note(on ? "RLSD on" : "RLSD off"); };
    }

    void openQuietly() {
        port->OpenPort();
        sim->clearCalls();
    }

    std::shared_ptr<SimulatedSerialDriver> sim = std::make_shared<SimulatedSerialDriver>();
    std::unique_ptr<TComPort> port;
};

TEST_F(ComPortTest, StartsClosedWithTheDefaultProperties) {
    EXPECT_EQ(port->Port(), "COM1");
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(port->BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(port->CustomBaudRate(), 9600u);
    EXPECT_EQ(port->DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port->StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(port->Parity(), TComParity{});
    EXPECT_EQ(port->Parity().Bits, TParityBits::prNone);
    EXPECT_EQ(port->FlowControl().ControlDTR, TDTRFlowControl::dtrDisable);
    EXPECT_EQ(port->FlowControl().ControlRTS, TRTSFlowControl::rtsDisable);
    EXPECT_EQ(port->FlowControl().XonChar, 17);
    EXPECT_EQ(port->FlowControl().XoffChar, 19);
    EXPECT_FALSE(port->FlowControl().OutCTSFlow || port->FlowControl().XonXoffIn);
    EXPECT_EQ(port->Buffer(), (TComBuffer{1024, 1024}));
    EXPECT_EQ(port->Timeouts(), (TComTimeouts{-1, 0, 0, 100, 1000}));
    EXPECT_EQ(port->Events(), kAllComEvents);
    EXPECT_EQ(port->SyncMethod(), TSyncMethod::smThreadSync);
    EXPECT_FALSE(port->DiscardNull());
    EXPECT_EQ(port->EventChar(), 0);
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_TRUE(sim->calls().empty());
}

// ---- Opening ----------------------------------------------------------------

TEST_F(ComPortTest, OpeningNotifiesAndSetsUpInOrder) {
    recordNotifications();
    sim->setModemLines(kModemCts | kModemRlsd);
    port->SetPort("COM3");
    port->OpenPort();

    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(port->hasEventThread());
    EXPECT_EQ(sim->calls(),
              (Calls{"OnBeforeOpen", "open COM3", "setupQueues 1024 1024", "setState",
                     "setTimeouts", "createEventWatch", "setEventMask 0x05FF", "OnAfterOpen",
                     "modemStatus", "CTS on", "modemStatus", "DSR off", "modemStatus", "RLSD on"}));
    EXPECT_EQ(sim->lastState(), buildDeviceControlBlock({}, {}));
    const CommTimeouts t = sim->lastTimeouts();
    EXPECT_EQ(t.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(t.writeTotalMultiplier, 100u);
    EXPECT_EQ(t.writeTotalConstant, 1000u);
}

TEST_F(ComPortTest, PortHeldByAnotherProgramStaysClosed) {
    recordNotifications();
    sim->holdByOtherProgram("COM1");
    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_EQ(e.winCode(), 5);
    EXPECT_STREQ(e.what(), "ComPort lässt sich nicht öffnen (win error code: 5)");
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_EQ(sim->calls(), (Calls{"OnBeforeOpen", "open COM1"}));
}

struct SetupFailure {
    const char* call;
    ComErrorCode code;
    Calls calls;
};

TEST_F(ComPortTest, FailedSetupClosesTheHandleWithoutAfterOpen) {
    const SetupFailure failures[] = {
        {"setupQueues",
         ComErrorCode::SetupFailed,
         {"OnBeforeOpen", "open COM1", "setupQueues 1024 1024", "close"}},
        {"setState",
         ComErrorCode::SetStateFailed,
         {"OnBeforeOpen", "open COM1", "setupQueues 1024 1024", "setState", "close"}},
        {"setTimeouts",
         ComErrorCode::TimeoutsFailed,
         {"OnBeforeOpen", "open COM1", "setupQueues 1024 1024", "setState", "setTimeouts",
          "close"}},
    };
    for (const SetupFailure& f : failures) {
        sim = std::make_shared<SimulatedSerialDriver>();
        port = std::make_unique<TComPort>(sim);
        recordNotifications();
        sim->failCall(f.call, 87);

        const EComPort e = comErrorOf([&] { port->OpenPort(); });
        EXPECT_EQ(e.code(), f.code) << f.call;
        EXPECT_EQ(e.winCode(), 87);
        EXPECT_FALSE(port->Connected());
        EXPECT_FALSE(port->hasEventThread());
        EXPECT_EQ(sim->openLines(), 0);
        EXPECT_EQ(sim->calls(), f.calls) << f.call;
    }
}

TEST_F(ComPortTest, FailedModemReadAfterOpeningLeavesThePortOpen) {
    sim->failCall("modemStatus", 31);
    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::ModemStatusFailed);
    EXPECT_EQ(e.winCode(), 31);
    EXPECT_TRUE(port->Connected());
}

TEST_F(ComPortTest, NoEventsMeansNoEventThread) {
    port->SetEvents({});
    port->OpenPort();
    EXPECT_TRUE(port->Connected());
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_EQ(sim->calls(), (Calls{"open COM1", "setupQueues 1024 1024", "setState", "setTimeouts",
                                   "modemStatus", "modemStatus", "modemStatus"}));
    sim->clearCalls();
    port->ClosePort();
    EXPECT_EQ(sim->calls(), (Calls{"purge 3", "close"}));
}

TEST_F(ComPortTest, OpenOnOpenAndCloseOnClosedDoNothing) {
    port->SetConnected(true);
    EXPECT_TRUE(port->Connected());
    port->SetConnected(false);
    EXPECT_FALSE(port->Connected());
    sim->clearCalls();

    recordNotifications();
    port->ClosePort();
    EXPECT_TRUE(sim->calls().empty());
    openQuietly();
    port->OpenPort();
    port->SetConnected(true);
    EXPECT_TRUE(sim->calls().empty());
    port->ClosePort();
    sim->clearCalls();
    port->ClosePort();
    port->SetConnected(false);
    EXPECT_TRUE(sim->calls().empty());
}

// ---- Closing ----------------------------------------------------------------

TEST_F(ComPortTest, ClosingNotifiesPurgesStopsTheThreadAndCloses) {
    recordNotifications();
    sim->setModemLines(kModemCts | kModemDsr | kModemRlsd);
    openQuietly();
    port->ClosePort();
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_FALSE(sim->watchOpen());
    EXPECT_EQ(sim->calls(),
              (Calls{"CTS off", "DSR off", "RLSD off", "OnBeforeClose", "purge 3", "stopWatch",
                     "setEventMask 0x0000", "purge 12", "closeWatch", "close", "OnAfterClose"}));
}

TEST_F(ComPortTest, FailedPurgeKeepsThePortOpen) {
    recordNotifications();
    openQuietly();
    sim->failCall("purge 3", 995);
    const EComPort e = comErrorOf([&] { port->ClosePort(); });
    EXPECT_EQ(e.code(), ComErrorCode::PurgeFailed);
    EXPECT_EQ(e.winCode(), 995);
    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(port->hasEventThread());
    EXPECT_EQ(sim->openLines(), 1);
    EXPECT_EQ(sim->calls(), (Calls{"CTS off", "DSR off", "RLSD off", "OnBeforeClose", "purge 3"}));

    sim->failCall("purge 3", 0);
    port->ClosePort();
    EXPECT_FALSE(port->Connected());
}

TEST_F(ComPortTest, DestructorClosesWithNotifications) {
    bool afterClose = false;
    port->OnAfterClose = [&](TComPort&) { afterClose = true; };
    port->OpenPort();
    port.reset();
    EXPECT_TRUE(afterClose);
    EXPECT_EQ(sim->openLines(), 0);
    EXPECT_FALSE(sim->watchOpen());
}

TEST_F(ComPortTest, DestructorSwallowsCloseErrorsButReleasesEverything) {
    port->OpenPort();
    sim->failCall("purge 3", 5);
    const int threads = testing::threadCount();
    EXPECT_NO_THROW(port.reset());
    EXPECT_EQ(sim->openLines(), 0);
    EXPECT_FALSE(sim->watchOpen());
    EXPECT_EQ(testing::threadCount(), threads - 1);

    port = std::make_unique<TComPort>(sim);
    port->OpenPort();
    port->OnBeforeClose = [](TComPort&) { throw std::runtime_error("owner is gone"); };
    EXPECT_NO_THROW(port.reset());
    EXPECT_EQ(sim->openLines(), 0);
}

// ---- Renaming ---------------------------------------------------------------

TEST_F(ComPortTest, RenamingToTheSameNameDoesNothingAndAClosedPortOnlyStoresIt) {
    recordNotifications();
    port->SetPort("COM1");
    EXPECT_TRUE(sim->calls().empty());
    openQuietly();
    port->SetPort("COM1");
    EXPECT_TRUE(sim->calls().empty());
    EXPECT_TRUE(port->Connected());

    port->ClosePort();
    sim->clearCalls();
    port->SetPort("COM7");
    EXPECT_EQ(port->Port(), "COM7");
    EXPECT_FALSE(port->Connected());
    EXPECT_TRUE(sim->calls().empty());
}

TEST_F(ComPortTest, RenamingAnOpenPortReopensItUnderTheNewName) {
    openQuietly();
    recordNotifications();
    port->SetPort("COM4");
    EXPECT_TRUE(port->Connected());
    const Calls calls = sim->calls();
    const auto at = [&](const std::string& c) {
        return std::find(calls.begin(), calls.end(), c) - calls.begin();
    };
    EXPECT_LT(at("close"), at("OnAfterClose"));
    EXPECT_LT(at("OnAfterClose"), at("OnBeforeOpen"));
    EXPECT_LT(at("OnBeforeOpen"), at("open COM4"));
    EXPECT_LT(at("open COM4"), at("OnAfterOpen"));
    EXPECT_LT(at("OnAfterOpen"), static_cast<long>(calls.size()));
    EXPECT_EQ(sim->openLines(), 1);
}

// ---- Output pins ------------------------------------------------------------

TEST_F(ComPortTest, SwitchesUseTheSetAndClearCodes) {
    openQuietly();
    port->SwitchBreak(true);
    port->SwitchBreak(false);
    port->SwitchDTR(true);
    port->SwitchDTR(false);
    port->SwitchRTS(true);
    port->SwitchRTS(false);
    EXPECT_EQ(sim->calls(),
              (Calls{"escape 8", "escape 9", "escape 5", "escape 6", "escape 3", "escape 4"}));
}

TEST_F(ComPortTest, FailedSwitchRaisesTwelveAndKeepsThePortOpen) {
    openQuietly();
    sim->failCall("escape", 22);
    const EComPort e = comErrorOf([&] { port->SwitchRTS(true); });
    EXPECT_EQ(e.code(), ComErrorCode::EscapeFailed);
    EXPECT_EQ(e.winCode(), 22);
    EXPECT_TRUE(port->Connected());
}

TEST_F(ComPortTest, SwitchOnAClosedPortRaisesTwelveWithInvalidHandle) {
    const EComPort e = comErrorOf([&] { port->SwitchDTR(true); });
    EXPECT_EQ(e.code(), ComErrorCode::EscapeFailed);
    EXPECT_EQ(e.winCode(), 6);
    EXPECT_STREQ(e.what(), "EscapeCommFunction function failed (win error code: 6)");
    EXPECT_THROW(port->SwitchBreak(false), EComPort);
    EXPECT_THROW(port->SwitchRTS(false), EComPort);
    EXPECT_TRUE(sim->calls().empty());
}

// ---- Line settings while open -------------------------------------------------

TEST_F(ComPortTest, ChangedLineSettingIsAppliedAtOnceWhileOpen) {
    port->SetBaudRate(TBaudRate::br19200);  // closed: stored only
    EXPECT_TRUE(sim->calls().empty());
    openQuietly();
    EXPECT_EQ(sim->lastState().baudRate, 19200u);

    port->SetBaudRate(TBaudRate::br19200);
    EXPECT_TRUE(sim->calls().empty());
    TComParity even;
    even.Bits = TParityBits::prEven;
    port->SetParity(even);
    EXPECT_EQ(sim->calls(), Calls{"setState"});
    EXPECT_EQ(sim->lastState().parity, 2);

    sim->failCall("setState", 87);
    const EComPort e = comErrorOf([&] { port->SetDataBits(TDataBits::dbSeven); });
    EXPECT_EQ(e.code(), ComErrorCode::SetStateFailed);
    EXPECT_EQ(port->DataBits(), TDataBits::dbSeven);
    EXPECT_TRUE(port->Connected());

    sim->failCall("setState", 0);
    sim->clearCalls();
    port->SetCustomBaudRate(31250);  // matters only for the custom setting
    EXPECT_TRUE(sim->calls().empty());
    port->SetBaudRate(TBaudRate::brCustom);
    EXPECT_EQ(sim->lastState().baudRate, 31250u);
}

// ---- Event thread -------------------------------------------------------------

TEST_F(ComPortTest, EventsAreHandedToTheUiThread) {
    std::vector<std::thread::id> threads;
    std::vector<bool> states;
    port->OnCTSChange = [&](TComPort&, bool on) {
        threads.push_back(std::this_thread::get_id());
        states.push_back(on);
    };
    port->OpenPort();
    states.clear();
    threads.clear();

    sim->setModemLines(kModemCts);
    ASSERT_TRUE(sim->fire(kEvCts));
    ASSERT_TRUE(serveUntil([&] { return !states.empty(); }));
    EXPECT_EQ(states, std::vector<bool>{true});
    EXPECT_EQ(threads.front(), std::this_thread::get_id());
    port->ClosePort();  // its report reaches the handler, which uses this test's locals
}

TEST_F(ComPortTest, BatchIsHandledInTheFixedOrder) {
    Calls order;
    port->OnError = [&](TComPort&, TComErrors errors) {
        order.push_back("Error");
        EXPECT_EQ(errors, (TComErrors{TComError::ceFrame, TComError::ceOverrun}));
    };
    port->OnRxChar = [&](TComPort&, int count) {
        order.push_back("RxChar " + std::to_string(count));
    };
    port->OnTxEmpty = [&](TComPort&) { order.push_back("TxEmpty"); };
    port->OnBreak = [&](TComPort&) { order.push_back("Break"); };
    port->OnRing = [&](TComPort&) { order.push_back("Ring"); };
    port->OnCTSChange = [&](TComPort&, bool on) { order.push_back(on ? "CTS on" : "CTS off"); };
    port->OnDSRChange = [&](TComPort&, bool on) { order.push_back(on ? "DSR on" : "DSR off"); };
    port->OnRxFlag = [&](TComPort&) { order.push_back("RxFlag"); };
    port->OnRLSDChange = [&](TComPort&, bool on) { order.push_back(on ? "RLSD on" : "RLSD off"); };
    port->OnRx80Full = [&](TComPort&) { order.push_back("Rx80Full"); };
    port->OpenPort();
    order.clear();
    sim->clearCalls();

    sim->setModemLines(kModemDsr);
    sim->setLineErrors(kLineFrame | kLineOverrun, 12);
    ASSERT_TRUE(sim->fire(0x05FF));
    ASSERT_TRUE(serveUntil([&] { return order.size() == 10; }));
    EXPECT_EQ(order, (Calls{"Error", "RxChar 12", "TxEmpty", "Break", "Ring", "CTS off", "DSR on",
                            "RxFlag", "RLSD off", "Rx80Full"}));
    EXPECT_EQ(sim->calls(), (Calls{"clearError", "clearError", "modemStatus", "modemStatus",
                                   "modemStatus", "modemStatus"}));
    port->ClosePort();
}

TEST_F(ComPortTest, NothingToReportCallsNoHandler) {
    int calls = 0;
    port->OnRxChar = [&](TComPort&, int) { ++calls; };
    port->OnError = [&](TComPort&, TComErrors) { ++calls; };
    port->OnRx80Full = [&](TComPort&) { ++calls; };
    port->OpenPort();
    sim->setLineErrors(0, 0);
    ASSERT_TRUE(sim->fire(kEvRxChar | kEvError));
    ASSERT_TRUE(sim->fire(kEvRx80Full));  // a marker behind the first batch
    ASSERT_TRUE(serveUntil([&] { return calls == 1; }));
    EXPECT_EQ(calls, 1);
}

TEST_F(ComPortTest, ClosingServesAHandOverThatIsAlreadyWaiting) {
    Calls order;
    port->OnRxChar = [&](TComPort&, int) { order.push_back("RxChar"); };
    port->OnBeforeClose = [&](TComPort&) { order.push_back("OnBeforeClose"); };
    port->OnAfterClose = [&](TComPort&) { order.push_back("OnAfterClose"); };
    port->OpenPort();
    sim->setLineErrors(0, 3);
    ASSERT_TRUE(sim->fire(kEvRxChar));
    // The thread takes the event and waits for the UI thread, which does not
    // serve its event queue here.
    ASSERT_TRUE(waitUntil([&] { return sim->eventsWaiting() == 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    port->ClosePort();
    EXPECT_EQ(order, (Calls{"OnBeforeClose", "RxChar", "OnAfterClose"}));
    EXPECT_FALSE(port->hasEventThread());
    // The queued hand-over finds nothing left to do.
    QCoreApplication::processEvents();
    EXPECT_EQ(order.size(), 3u);
}

TEST_F(ComPortTest, HandlerMayCloseThePort) {
    bool closed = false;
    port->OnAfterClose = [&](TComPort&) { closed = true; };
    port->OnRxChar = [&](TComPort& sender, int) { sender.ClosePort(); };
    int ctsCalls = 0;
    port->OnCTSChange = [&](TComPort&, bool) { ++ctsCalls; };
    port->OpenPort();
    ctsCalls = 0;
    const int threads = testing::threadCount();

    sim->setLineErrors(0, 1);
    ASSERT_TRUE(sim->fire(kEvRxChar | kEvCts));
    ASSERT_TRUE(serveUntil([&] { return closed; }));
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_EQ(sim->openLines(), 0);
    EXPECT_EQ(testing::threadCount(), threads - 1);
    // The rest of the batch belonged to the closed port: only the close's own report.
    EXPECT_EQ(ctsCalls, 1);
}

TEST_F(ComPortTest, ThrowingHandlerEndsTheThreadButNotThePort) {
    int calls = 0;
    port->OnCTSChange = [&](TComPort&, bool) {
        ++calls;
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(port->OpenPort(), std::runtime_error);  // from the after-open report
    ASSERT_TRUE(port->Connected());
    calls = 0;

    ASSERT_TRUE(sim->fire(kEvCts));
    ASSERT_TRUE(serveUntil([&] { return calls == 1; }));
    ASSERT_TRUE(sim->fire(kEvCts));
    serveUntil([&] { return calls > 1; }, 200);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(port->Connected());

    port->OnCTSChange = nullptr;
    port->ClosePort();
    EXPECT_FALSE(port->Connected());
}

TEST_F(ComPortTest, FailedLineReadInDispatchEndsTheThreadQuietly) {
    int calls = 0;
    port->OnRxChar = [&](TComPort&, int) { ++calls; };
    port->OpenPort();
    sim->failCall("clearError", 13);
    ASSERT_TRUE(sim->fire(kEvRxChar));
    ASSERT_TRUE(waitUntil([&] { return sim->eventsWaiting() == 0; }));
    serveUntil([&] {
        const Calls c = sim->calls();
        return std::find(c.begin(), c.end(), "purge 12") != c.end();
    });
    const Calls c = sim->calls();
    EXPECT_NE(std::find(c.begin(), c.end(), "setEventMask 0x0000"), c.end());
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(port->Connected());
    port->ClosePort();
    EXPECT_EQ(sim->openLines(), 0);
}

TEST_F(ComPortTest, FailedWaitEndsTheThreadAndClosingStillWorks) {
    port->OpenPort();
    sim->failNextWait();
    ASSERT_TRUE(waitUntil([&] {
        const Calls c = sim->calls();
        return std::find(c.begin(), c.end(), "purge 12") != c.end();
    }));
    port->ClosePort();
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(sim->watchOpen());
}

TEST_F(ComPortTest, NoSyncHandlesInTheEventThread) {
    std::atomic<bool> called = false;
    std::thread::id handlerThread;
    port->SetSyncMethod(TSyncMethod::smNone);
    port->OnRing = [&](TComPort&) {
        handlerThread = std::this_thread::get_id();
        called = true;
    };
    port->OpenPort();
    ASSERT_TRUE(sim->fire(kEvRing));
    ASSERT_TRUE(waitUntil([&] { return called.load(); }));
    EXPECT_NE(handlerThread, std::this_thread::get_id());
    port->ClosePort();
}

TEST_F(ComPortTest, WindowSyncHandsOverEachEventInTheUiThread) {
    Calls order;
    std::vector<std::thread::id> threads;
    port->SetSyncMethod(TSyncMethod::smWindowSync);
    port->OnBreak = [&](TComPort&) {
        order.push_back("Break");
        threads.push_back(std::this_thread::get_id());
    };
    port->OnTxEmpty = [&](TComPort&) {
        order.push_back("TxEmpty");
        threads.push_back(std::this_thread::get_id());
    };
    port->OpenPort();
    ASSERT_TRUE(sim->fire(kEvBreak | kEvTxEmpty));
    ASSERT_TRUE(serveUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (Calls{"TxEmpty", "Break"}));
    EXPECT_EQ(threads, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
}

TEST_F(ComPortTest, RepeatedOpenAndCloseLeavesNoThreadBehind) {
    const int threads = testing::threadCount();
    for (int i = 0; i < 50; ++i) {
        port->OpenPort();
        ASSERT_EQ(testing::threadCount(), threads + 1);
        port->ClosePort();
    }
    EXPECT_EQ(testing::threadCount(), threads);
    EXPECT_EQ(sim->openLines(), 0);
    EXPECT_FALSE(sim->watchOpen());
}

// ---- Port list ----------------------------------------------------------------

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override { previous = replaceSerialDriver(sim); }
    void TearDown() override { replaceSerialDriver(previous); }

    std::shared_ptr<SimulatedSerialDriver> sim = std::make_shared<SimulatedSerialDriver>();
    std::shared_ptr<SerialDriver> previous;
};

TEST_F(PortListTest, SortsAsTextWithoutRegardToCase) {
    sim->setPorts({"COM2", "COM10", "COM1", "com3", "Com20"});
    std::vector<std::string> names{"old"};
    ListSerialPorts(names);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM10", "COM2", "Com20", "com3"}));
}

TEST_F(PortListTest, FillsTheItemsOfASelector) {
    sim->setPorts({"COM2", "COM10", "COM1"});
    QStringList items{"old", "items"};
    ListSerialPorts(items);
    EXPECT_EQ(items, (QStringList{"COM1", "COM10", "COM2"}));
}

TEST_F(PortListTest, UnreadableListRaisesTwentyThreeAndKeepsTheItems) {
    sim->setPorts({"COM1"}, 2);
    QStringList items{"keep"};
    const EComPort e = comErrorOf([&] { ListSerialPorts(items); });
    EXPECT_EQ(e.code(), ComErrorCode::RegistryError);
    EXPECT_EQ(e.winCode(), 2);
    EXPECT_STREQ(e.what(), "Registry error (win error code: 2)");
    EXPECT_EQ(items, QStringList{"keep"});
}

TEST_F(PortListTest, NewPortsUseTheProgramWideDriver) {
    TComPort port;
    port.SetPort("COM9");
    port.OpenPort();
    EXPECT_EQ(sim->calls().front(), "open COM9");
}

}  // namespace
}  // namespace dravel::devices
