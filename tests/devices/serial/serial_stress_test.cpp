// Opening and closing a port over and over while line events keep arriving:
// no deadlock against a waiting hand-over, no thread or descriptor left behind.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SerialTestSupport.h"
#include "SimulatedSerialDriver.h"
#include "common/TestSerialLine.h"
#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::SimulatedSerialDriver;

// On a loaded machine the event thread may never reach its hand-over before
// the loop looks; now and then the loop waits for it, so that both ways of
// serving a hand-over are taken.
void waitForHandOver(const TComPort& port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!port.handOverWaiting() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
}

TEST(SerialStress, TenThousandCyclesWithEventsFiring) {
    application();
    constexpr int kCycles = 10000;
    auto sim = std::make_shared<SimulatedSerialDriver>();
    sim->setLineErrors(0, 1);
    sim->setModemLines(kModemCts);
    TComPort port(sim);
    // One cycle first, so helper threads that start with the first thread
    // (a sanitizer's, for one) are in the baseline.
    port.OpenPort();
    port.ClosePort();
    const int threads = testing::threadCount();
    const int descriptors = testing::descriptorCount();

    bool closing = false;
    int servedByEventLoop = 0;
    int servedWhileClosing = 0;
    port.OnRxChar = [&](TComPort&, int) { ++(closing ? servedWhileClosing : servedByEventLoop); };
    port.OnBeforeClose = [&](TComPort&) { closing = true; };
    port.OnAfterClose = [&](TComPort&) { closing = false; };

    const auto start = std::chrono::steady_clock::now();
    {
        // Keeps a few events queued for whichever line is open.
        std::jthread source([&](std::stop_token stop) {
            while (!stop.stop_requested()) {
                if (sim->eventsWaiting() < 2) sim->fire(kEvRxChar | kEvCts);
                std::this_thread::yield();
            }
        });
        for (int i = 0; i < kCycles; ++i) {
            port.OpenPort();
            ASSERT_TRUE(port.hasEventThread());
            if (i % 100 == 0) waitForHandOver(port);
            if (i % 2 == 0) QCoreApplication::processEvents();
            if (i % 7 == 0) std::this_thread::yield();
            port.ClosePort();
            ASSERT_FALSE(port.Connected());
        }
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d cycles in %.2f s; hand-overs served by the event loop %d, while closing %d\n",
                kCycles, seconds, servedByEventLoop, servedWhileClosing);

    EXPECT_GT(servedByEventLoop, 0);
    EXPECT_GT(servedWhileClosing, 0);
    EXPECT_EQ(sim->openLines(), 0);
    EXPECT_FALSE(sim->watchOpen());
    EXPECT_EQ(testing::threadCount(), threads);
    EXPECT_EQ(testing::descriptorCount(), descriptors);
}

TEST(SerialStress, PlatformLineCyclesWithDataArriving) {
    application();
    testplatform::TestSerialLine line;
    if (!line.ok()) GTEST_SKIP() << line.whyNot();
    const int threads = testing::threadCount();
    const int descriptors = testing::descriptorCount();

    TComPort port(createPlatformSerialDriver());
    port.SetPort(line.portName());
    int received = 0;
    port.OnRxChar = [&](TComPort&, int) { ++received; };

    {
        // Sends without blocking: a full queue must not stop the writer.
        std::jthread writer([&](std::stop_token stop) {
            while (!stop.stop_requested()) {
                line.send("x");
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        for (int i = 0; i < 1000; ++i) {
            port.OpenPort();
            ASSERT_TRUE(port.hasEventThread());
            // Now and then the UI thread serves what arrived meanwhile, for a while on purpose.
            if (i % 50 == 0) testing::serveUntil([&] { return false; }, 60);
            port.ClosePort();
        }
    }

    EXPECT_GT(received, 0);
    EXPECT_EQ(testing::threadCount(), threads);
    EXPECT_EQ(testing::descriptorCount(), descriptors);
}

}  // namespace
}  // namespace dravel::devices
