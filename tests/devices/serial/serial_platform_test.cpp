// The platform's own serial back-end over a line whose far end the test holds: a pseudo-terminal
// on Linux; under Wine the COM port that scripts/test-windows.sh links to one. Where
// pty_modem_lines.so is preloaded, the pseudo-terminal has modem lines too, so the output pins
// and the ring of the push button (Pin 9) can be followed to the far end and back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "SerialTestSupport.h"
#include "common/TestSerialLine.h"
#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::serveUntil;
using testing::waitUntil;
using namespace std::chrono_literals;

constexpr int kDtr = 0x002, kRts = 0x004, kCts = 0x020, kRing = 0x080, kDsr = 0x100;

class PlatformLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        if (!line.ok()) GTEST_SKIP() << line.whyNot();
        port = std::make_unique<TComPort>(createPlatformSerialDriver());
        port->SetPort(line.portName());
    }
    void TearDown() override { line.driveLines(0); }

    bool farEndSees(const std::string& settings) {
        return waitUntil([&] { return line.settings() == settings; }, 3s);
    }
    bool switched(int mask, int expected) {
        return waitUntil([&] { return (line.switchedLines() & mask) == expected; }, 3s);
    }

    testplatform::TestSerialLine line;
    std::unique_ptr<TComPort> port;
};

TEST_F(PlatformLineTest, OpensWithTheFormsSettingsClosesAndChangesThemWhileOpen) {
    const int threads = testing::threadCount();
    port->OpenPort();
    ASSERT_TRUE(port->Connected());
    EXPECT_TRUE(port->hasEventThread());
    EXPECT_EQ(testing::threadCount(), threads + 1);
    EXPECT_TRUE(farEndSees("9600 8N1")) << line.settings();

    port->ClosePort();
    EXPECT_FALSE(port->Connected());
    EXPECT_TRUE(waitUntil([&] { return testing::threadCount() == threads; }));
    ASSERT_NO_THROW(port->OpenPort()) << "closing left the port taken";

    // The speed first: a Linux pseudo-terminal refuses a new speed once parity and two stop bits
    // are set (tcsetattr gives EINVAL), which Wine passes on as it should.
    port->SetBaudRate(TBaudRate::br115200);
    port->SetParity({TParityBits::prOdd, true});
    port->SetStopBits(TStopBits::sbTwoStopBits);
    EXPECT_TRUE(farEndSees("115200 8O2")) << line.settings();
}

TEST_F(PlatformLineTest, OutputPinsReachTheFarEnd) {
    if (line.switchedLines() < 0) GTEST_SKIP() << "no modem-line stand-in preloaded";
    port->OpenPort();
    const std::pair<void (TComPort::*)(bool), int> pins[] = {{&TComPort::SwitchDTR, kDtr},
                                                             {&TComPort::SwitchRTS, kRts}};
    for (const auto& [operation, bit] : pins) {
        (port.get()->*operation)(true);
        EXPECT_TRUE(switched(kDtr | kRts, bit)) << bit;
        (port.get()->*operation)(false);
        EXPECT_TRUE(switched(kDtr | kRts, 0)) << bit;
    }
    // Pin 3: a pseudo-terminal takes the break without passing it on, so only the calls show.
    EXPECT_NO_THROW(port->SwitchBreak(true));
    EXPECT_NO_THROW(port->SwitchBreak(false));
}

// The system raises DTR and RTS when it opens a port; the port lowers them
// at once, so no relay switches because the port was opened. Pin 3 (break)
// leaves both alone.
TEST_F(PlatformLineTest, OpeningLowersDtrAndRtsAndTheBreakLeavesThem) {
    const char* linesDir = std::getenv("DRAVEL_PTY_LINES_DIR");
    if (line.switchedLines() < 0 || !linesDir) GTEST_SKIP() << "no modem-line stand-in preloaded";
    const int raised = kDtr | kRts;
    std::ofstream(std::string(linesDir) + "/out", std::ios::binary)
        .write(reinterpret_cast<const char*>(&raised), sizeof raised);
    ASSERT_TRUE(switched(kDtr | kRts, raised));

    port->OpenPort();
    EXPECT_TRUE(switched(kDtr | kRts, 0));
    port->SwitchRTS(true);
    EXPECT_TRUE(switched(kDtr | kRts, kRts));
    port->SwitchBreak(true);
    port->SwitchBreak(false);
    EXPECT_TRUE(switched(kDtr | kRts, kRts));
}

TEST_F(PlatformLineTest, BytesReachTheUiThread) {
    int bytes = 0;
    port->OnRxChar = [&](TComPort&, int count) { bytes += count; };
    // Closing reports the input lines once more: it must happen while the counters live.
    const struct CloseFirst {
        TComPort& port;
        ~CloseFirst() { port.ClosePort(); }
    } closeFirst{*port};
    port->OpenPort();

    ASSERT_TRUE(line.send("hello"));
    EXPECT_TRUE(serveUntil([&] { return bytes >= 5; })) << bytes;
}

// Apart from the bytes: Wine reports received bytes that nobody reads at every wait, and each
// new wait starts from the lines as they are then, so a change in between would go unseen there.
TEST_F(PlatformLineTest, InputLineChangesReachTheUiThread) {
    if (line.switchedLines() < 0) GTEST_SKIP() << "no modem-line stand-in preloaded";
    int rings = 0, ctsOn = 0, dsrOn = 0;
    port->OnRing = [&](TComPort&) { ++rings; };
    port->OnCTSChange = [&](TComPort&, bool on) { ctsOn += on; };
    port->OnDSRChange = [&](TComPort&, bool on) { dsrOn += on; };
    const struct CloseFirst {
        TComPort& port;
        ~CloseFirst() { port.ClosePort(); }
    } closeFirst{*port};
    port->OpenPort();

    ASSERT_TRUE(line.driveLines(kRing));  // the push button on Pin 9
    EXPECT_TRUE(serveUntil([&] { return rings > 0; }));
    ASSERT_TRUE(line.driveLines(kCts | kDsr));
    EXPECT_TRUE(serveUntil([&] { return ctsOn > 0 && dsrOn > 0; }));
}

}  // namespace
}  // namespace dravel::devices
