// The port component over a simulated driver: notifications and call order,
// setup failures, closing, renaming, pin switching and the event thread with
// its hand-over to the UI thread.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

#include "SerialTestSupport.h"
#include "SimulatedSerialDriver.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/SerialPorts.h"
#include "support/ScopedHook.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::Calls;
using testing::comErrorOf;
using testing::contains;
using testing::serveUntil;
using testing::SimulatedSerialDriver;
using testing::waitUntil;

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        port = std::make_unique<TComPort>(sim);
    }

    // Notes every notification in the driver's call record.
    void recordNotifications() {
        const auto note = [this](std::string name) {
            return [this, name](TComPort&) { sim->note(name); };
        };
        const auto level = [this](std::string name) {
            return [this, name](TComPort&, bool on) { sim->note(name + (on ? " on" : " off")); };
        };
        port->OnBeforeOpen = note("OnBeforeOpen");
        port->OnAfterOpen = note("OnAfterOpen");
        port->OnBeforeClose = note("OnBeforeClose");
        port->OnAfterClose = note("OnAfterClose");
        port->OnTxEmpty = note("TxEmpty");
        port->OnBreak = note("Break");
        port->OnRing = note("Ring");
        port->OnRxFlag = note("RxFlag");
        port->OnRx80Full = note("Rx80Full");
        port->OnCTSChange = level("CTS");
        port->OnDSRChange = level("DSR");
        port->OnRLSDChange = level("RLSD");
        port->OnRxChar = [this](TComPort&, int n) { sim->note("RxChar " + std::to_string(n)); };
        port->OnError = [this](TComPort&, TComErrors) { sim->note("Error"); };
    }

    void openQuietly() {
        port->OpenPort();
        sim->clearCalls();
    }

    std::shared_ptr<SimulatedSerialDriver> sim = std::make_shared<SimulatedSerialDriver>();
    std::unique_ptr<TComPort> port;
};

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
    EXPECT_EQ(t.readTotalMultiplier + t.readTotalConstant, 0u);
    EXPECT_EQ(t.writeTotalMultiplier, 100u);
    EXPECT_EQ(t.writeTotalConstant, 1000u);

    // A failed read of the input lines after opening leaves the port open.
    port->ClosePort();
    sim->failCall("modemStatus", 31);
    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::ModemStatusFailed);
    EXPECT_EQ(e.winCode(), 31);
    EXPECT_TRUE(port->Connected());
    // So does a handler that throws after opening.
    port->ClosePort();
    sim->failCall("modemStatus", 0);
    port->OnAfterOpen = [](TComPort&) { throw std::runtime_error("owner gone"); };
    EXPECT_THROW(port->OpenPort(), std::runtime_error);
    EXPECT_TRUE(port->Connected());
}

// A port held by another program stays closed; a failed setup, or an event
// watch that cannot be made, closes the handle again. None reports the
// opening as done, and each is the port's own error.
TEST_F(ComPortTest, FailedOpenOrSetupLeavesThePortClosedWithoutAfterOpen) {
    const Calls steps = {"OnBeforeOpen", "open COM1",   "setupQueues 1024 1024",
                         "setState",     "setTimeouts", "createEventWatch"};
    struct Failure {
        const char* call;
        ComErrorCode code;
        std::size_t steps;
    };
    const Failure failures[] = {{"open", ComErrorCode::OpenFailed, 2},
                                {"setupQueues", ComErrorCode::SetupFailed, 3},
                                {"setState", ComErrorCode::SetStateFailed, 4},
                                {"setTimeouts", ComErrorCode::TimeoutsFailed, 5},
                                {"createEventWatch", ComErrorCode::OpenFailed, 6}};
    for (const Failure& f : failures) {
        sim = std::make_shared<SimulatedSerialDriver>();
        port = std::make_unique<TComPort>(sim);
        recordNotifications();
        sim->failCall(f.call, 5);

        const EComPort e = comErrorOf([&] { port->OpenPort(); });
        EXPECT_EQ(e.code(), f.code) << f.call;
        EXPECT_EQ(e.winCode(), 5);
        EXPECT_STREQ(e.what(), (comErrorText(f.code) + " (win error code: 5)").c_str());
        EXPECT_FALSE(port->Connected());
        EXPECT_FALSE(port->hasEventThread());
        EXPECT_EQ(sim->openLines(), 0);
        Calls expected(steps.begin(), steps.begin() + f.steps);
        if (f.steps > 2) expected.push_back("close");
        EXPECT_EQ(sim->calls(), expected) << f.call;
    }
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
    recordNotifications();
    port->ClosePort();
    port->SetConnected(false);
    EXPECT_TRUE(sim->calls().empty());

    port->SetConnected(true);
    EXPECT_TRUE(port->Connected());
    sim->clearCalls();
    port->OpenPort();
    port->SetConnected(true);
    EXPECT_TRUE(sim->calls().empty());

    port->SetConnected(false);
    EXPECT_FALSE(port->Connected());
    sim->clearCalls();
    port->ClosePort();
    EXPECT_TRUE(sim->calls().empty());
}

// ---- Closing ----------------------------------------------------------------

TEST_F(ComPortTest, ClosingNotifiesPurgesStopsTheThreadAndClosesUnlessThePurgeFails) {
    recordNotifications();
    sim->setModemLines(kModemCts | kModemDsr | kModemRlsd);
    openQuietly();
    sim->failCall("purge 3", 995);
    const EComPort e = comErrorOf([&] { port->ClosePort(); });
    EXPECT_EQ(e.code(), ComErrorCode::PurgeFailed);
    EXPECT_EQ(e.winCode(), 995);
    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(port->hasEventThread());
    EXPECT_EQ(sim->calls(), (Calls{"CTS off", "DSR off", "RLSD off", "OnBeforeClose", "purge 3"}));

    sim->failCall("purge 3", 0);
    sim->clearCalls();
    port->ClosePort();
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(port->hasEventThread());
    EXPECT_FALSE(sim->watchOpen());
    EXPECT_EQ(sim->calls(),
              (Calls{"CTS off", "DSR off", "RLSD off", "OnBeforeClose", "purge 3", "stopWatch",
                     "setEventMask 0x0000", "purge 12", "closeWatch", "close", "OnAfterClose"}));
}

TEST_F(ComPortTest, DestructorClosesWithNotificationsAndSwallowsErrors) {
    bool afterClose = false;
    port->OnAfterClose = [&](TComPort&) { afterClose = true; };
    const int threads = testing::threadCount();
    port->OpenPort();
    port.reset();
    EXPECT_TRUE(afterClose);
    EXPECT_EQ(sim->openLines(), 0);

    // A failed close step or a throwing handler: the handle and the thread go all the same.
    const std::function<void()> failures[] = {
        [&] { sim->failCall("purge 3", 5); },
        [&] { port->OnBeforeClose = [](TComPort&) { throw std::runtime_error("owner gone"); }; }};
    for (const auto& fail : failures) {
        port = std::make_unique<TComPort>(sim);
        port->OpenPort();
        fail();
        EXPECT_NO_THROW(port.reset());
        EXPECT_EQ(sim->openLines(), 0);
        EXPECT_FALSE(sim->watchOpen());
        EXPECT_EQ(testing::threadCount(), threads);
    }
}

// ---- Renaming ---------------------------------------------------------------

TEST_F(ComPortTest, RenamingReopensOnlyAnOpenPortUnderANewName) {
    recordNotifications();
    port->SetPort("COM7");
    EXPECT_EQ(port->Port(), "COM7");
    EXPECT_FALSE(port->Connected());
    EXPECT_TRUE(sim->calls().empty());

    openQuietly();
    port->SetPort("COM7");
    EXPECT_TRUE(sim->calls().empty());

    port->SetPort("COM4");
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(sim->openLines(), 1);
    Calls order;
    for (const std::string& c : sim->calls()) {
        if (c == "close" || c == "open COM4" || c.starts_with("On")) order.push_back(c);
    }
    EXPECT_EQ(order, (Calls{"OnBeforeClose", "close", "OnAfterClose", "OnBeforeOpen", "open COM4",
                            "OnAfterOpen"}));
}

// ---- Output pins ------------------------------------------------------------

TEST_F(ComPortTest, SwitchesUseTheSetAndClearCodesAndFailWithTwelve) {
    const EComPort closed = comErrorOf([&] { port->SwitchDTR(true); });
    EXPECT_EQ(closed.code(), ComErrorCode::EscapeFailed);
    EXPECT_EQ(closed.winCode(), 6);  // the driver's invalid handle
    EXPECT_THROW(port->SwitchBreak(false), EComPort);
    EXPECT_THROW(port->SwitchRTS(false), EComPort);
    EXPECT_TRUE(sim->calls().empty());

    openQuietly();
    for (bool on : {true, false}) {
        port->SwitchBreak(on);
        port->SwitchDTR(on);
        port->SwitchRTS(on);
    }
    EXPECT_EQ(sim->calls(),
              (Calls{"escape 8", "escape 5", "escape 3", "escape 9", "escape 6", "escape 4"}));

    sim->failCall("escape", 22);
    const EComPort failed = comErrorOf([&] { port->SwitchRTS(true); });
    EXPECT_EQ(failed.code(), ComErrorCode::EscapeFailed);
    EXPECT_EQ(failed.winCode(), 22);
    EXPECT_TRUE(port->Connected());
}

// ---- Line settings while open -------------------------------------------------

TEST_F(ComPortTest, ChangedLineSettingIsAppliedAtOnceWhileOpen) {
    port->SetBaudRate(TBaudRate::br19200);  // closed: stored only
    EXPECT_TRUE(sim->calls().empty());
    openQuietly();
    EXPECT_EQ(sim->lastState().baudRate, 19200u);

    port->SetBaudRate(TBaudRate::br19200);
    EXPECT_TRUE(sim->calls().empty());
    port->SetParity({TParityBits::prEven});
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

// Both synchronised methods hand each event to the UI thread; smNone handles
// them in the event thread.
TEST_F(ComPortTest, EachSyncMethodHandlesEventsInItsThread) {
    const std::thread::id uiThread = std::this_thread::get_id();
    for (auto [method, inUiThread] : {std::pair{TSyncMethod::smThreadSync, true},
                                      {TSyncMethod::smWindowSync, true},
                                      {TSyncMethod::smNone, false}}) {
        std::atomic<int> handledInUiThread = 0;
        const auto record = [&](const char* name) {
            handledInUiThread += std::this_thread::get_id() == uiThread;
            sim->note(name);
        };
        port->SetSyncMethod(method);
        port->OnBreak = [&](TComPort&) { record("Break"); };
        port->OnTxEmpty = [&](TComPort&) { record("TxEmpty"); };
        openQuietly();
        ASSERT_TRUE(sim->fire(kEvBreak | kEvTxEmpty));
        ASSERT_TRUE(serveUntil([&] { return contains(sim->calls(), "Break"); }));
        EXPECT_EQ(sim->calls(), (Calls{"TxEmpty", "Break"}));
        port->ClosePort();
        EXPECT_EQ(handledInUiThread, inUiThread ? 2 : 0) << static_cast<int>(method);
    }
}

TEST_F(ComPortTest, BatchIsHandledInTheFixedOrderReportingOnlyWhatHappened) {
    recordNotifications();
    port->OnError = [this](TComPort&, TComErrors errors) {
        sim->note("Error");
        EXPECT_EQ(errors, (TComErrors{TComError::ceFrame, TComError::ceOverrun}));
    };
    openQuietly();
    sim->setModemLines(kModemDsr);
    sim->setLineErrors(kLineFrame | kLineOverrun, 12);
    ASSERT_TRUE(sim->fire(0x05FF));
    ASSERT_TRUE(serveUntil([&] { return contains(sim->calls(), "Rx80Full"); }));
    EXPECT_EQ(sim->calls(),
              (Calls{"clearError", "Error", "clearError", "RxChar 12", "TxEmpty", "Break",
                     "modemStatus", "Ring", "modemStatus", "CTS off", "modemStatus", "DSR on",
                     "RxFlag", "modemStatus", "RLSD off", "Rx80Full"}));

    // Nothing to report calls no handler.
    sim->clearCalls();
    sim->setLineErrors(0, 0);
    ASSERT_TRUE(sim->fire(kEvRxChar | kEvError));
    ASSERT_TRUE(sim->fire(kEvRx80Full));  // a marker behind that batch
    ASSERT_TRUE(serveUntil([&] { return contains(sim->calls(), "Rx80Full"); }));
    EXPECT_EQ(sim->calls(), (Calls{"clearError", "clearError", "Rx80Full"}));
    port->ClosePort();
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
    ASSERT_TRUE(waitUntil([&] { return port->handOverWaiting(); }));

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

// A line read that fails while dispatching, a failed wait or a throwing
// handler ends the thread quietly (clearing the mask and the queues): later
// events go unhandled, the port stays open and closes as usual.
TEST_F(ComPortTest, AFailureInTheEventThreadEndsItButNotThePort) {
    struct Failure {
        const char* what;
        std::function<void()> cause;
        int handled;
    };
    bool throwing = false;
    int handled = 0;
    port->OnRxChar = [&](TComPort&, int) {
        ++handled;
        if (throwing) throw std::runtime_error("handler failed");
    };
    sim->setLineErrors(0, 1);
    const Failure failures[] = {
        {"line read", [&] { sim->failCall("clearError", 13); }, 0},
        {"wait", [&] { sim->failNextWait(); }, 0},
        {"handler", [&] { throwing = true; }, 1},
    };
    for (const Failure& f : failures) {
        handled = 0;
        port->OpenPort();
        sim->clearCalls();
        f.cause();
        EXPECT_TRUE(sim->fire(kEvRxChar));
        ASSERT_TRUE(serveUntil([&] { return contains(sim->calls(), "purge 12"); })) << f.what;
        EXPECT_TRUE(contains(sim->calls(), "setEventMask 0x0000")) << f.what;
        EXPECT_TRUE(sim->fire(kEvRxChar));
        serveUntil([] { return false; }, 100);
        EXPECT_EQ(handled, f.handled) << f.what;
        EXPECT_TRUE(port->Connected()) << f.what;
        port->ClosePort();
        EXPECT_EQ(sim->openLines(), 0);
        EXPECT_FALSE(sim->watchOpen());
        sim->failCall("clearError", 0);
        throwing = false;
    }
}

// ---- Port list ----------------------------------------------------------------

TEST(SerialPortList, SortsWithoutRegardToCaseThroughTheProgramWideDriver) {
    application();
    auto sim = std::make_shared<SimulatedSerialDriver>();
    const dravel::testing::ScopedHook<std::shared_ptr<SerialDriver>> installed(replaceSerialDriver,
                                                                               sim);
    sim->setPorts({"COM2", "com1", "COM10", "Com3"});
    std::vector<std::string> names{"old"};
    ListSerialPorts(names);
    EXPECT_EQ(names, (std::vector<std::string>{"com1", "COM10", "COM2", "Com3"}));

    TComPort port;  // new ports open through the same driver
    port.SetPort("COM9");
    port.OpenPort();
    EXPECT_EQ(sim->calls().front(), "open COM9");
    port.ClosePort();
}

}  // namespace
}  // namespace dravel::devices
