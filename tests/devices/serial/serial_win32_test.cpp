// The Windows serial back-end under Wine, over a COM port that scripts/test-windows.sh links to
// a pseudo-terminal (with pty_modem_lines.so giving it modem lines and pty_far_end.py as the far
// end). Never COM1 to COM4: those are the machine's own ports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "SerialTestSupport.h"
#include "common/TestSerialLine.h"
#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::comErrorOf;
using testing::serveUntil;
using testing::waitUntil;

constexpr int kDtr = 0x002, kRts = 0x004, kCts = 0x020, kRing = 0x080, kDsr = 0x100;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The settings the far end sees, e.g. "9600 8N1".
std::string lineSettings() {
    const char* folder = std::getenv("DRAVEL_TEST_COM_FOLDER");
    std::string text;
    if (folder) std::getline(std::ifstream(std::string(folder) + "/settings"), text);
    return text;
}

TEST(SerialPortListWindows, ListsTheRegistrysPortsSortedAsText) {
    testplatform::TestSerialLine line;
    if (!line.ok()) GTEST_SKIP() << line.whyNot();
    std::vector<std::string> names;
    ListSerialPorts(names);
    EXPECT_NE(std::find(names.begin(), names.end(), "COM7"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "COM10"), names.end());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return lower(a) < lower(b);
    })) << ::testing::PrintToString(names);
}

class WindowsLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        if (!line.ok()) GTEST_SKIP() << line.whyNot();
        port = std::make_unique<TComPort>(createPlatformSerialDriver());
        port->SetPort(line.portName());
    }

    bool farEndSees(const std::string& settings) {
        return waitUntil([&] { return lineSettings() == settings; }, 3000);
    }
    bool switched(int mask, int expected) {
        return waitUntil([&] { return (line.switchedLines() & mask) == expected; }, 3000);
    }

    testplatform::TestSerialLine line;
    std::unique_ptr<TComPort> port;
};

TEST_F(WindowsLineTest, OpensWithTheFormsLineSettingsAndChangesThemWhileOpen) {
    const int threads = testing::threadCount();
    port->OpenPort();
    ASSERT_TRUE(port->Connected());
    EXPECT_TRUE(port->hasEventThread());
    EXPECT_EQ(testing::threadCount(), threads + 1);
    EXPECT_TRUE(farEndSees("9600 8N1")) << lineSettings();

    port->SetParity({TParityBits::prOdd, true});
    port->SetStopBits(TStopBits::sbTwoStopBits);
    port->SetBaudRate(TBaudRate::br115200);
    EXPECT_TRUE(farEndSees("115200 8O2")) << lineSettings();

    port->ClosePort();
    EXPECT_FALSE(port->Connected());
    EXPECT_TRUE(waitUntil([&] { return testing::threadCount() == threads; }));
    // Closed means closed for the system too: the port opens again.
    EXPECT_NO_THROW(port->OpenPort());
}

TEST_F(WindowsLineTest, OutputPinsReachTheFarEnd) {
    if (line.switchedLines() < 0) GTEST_SKIP() << "no modem-line stand-in loaded";
    port->OpenPort();
    const std::pair<void (TComPort::*)(bool), int> pins[] = {{&TComPort::SwitchDTR, kDtr},
                                                              {&TComPort::SwitchRTS, kRts}};
    for (const auto& [operation, bit] : pins) {
        (port.get()->*operation)(true);
        EXPECT_TRUE(switched(bit, bit)) << bit;
        (port.get()->*operation)(false);
        EXPECT_TRUE(switched(bit, 0)) << bit;
    }
    // Pin 3: a pseudo-terminal takes the break without showing it to the far end.
    EXPECT_NO_THROW(port->SwitchBreak(true));
    EXPECT_NO_THROW(port->SwitchBreak(false));
}

TEST_F(WindowsLineTest, BytesAndLineChangesReachTheUiThread) {
    int bytes = 0, rings = 0, ctsOn = 0, dsrOn = 0;
    port->OnRxChar = [&](TComPort&, int count) { bytes += count; };
    port->OnRing = [&](TComPort&) { ++rings; };
    port->OnCTSChange = [&](TComPort&, bool on) { ctsOn += on; };
    port->OnDSRChange = [&](TComPort&, bool on) { dsrOn += on; };
    port->OpenPort();

    ASSERT_TRUE(line.send("hello"));
    EXPECT_TRUE(serveUntil([&] { return bytes >= 5; })) << bytes;

    if (line.switchedLines() < 0) GTEST_SKIP() << "no modem-line stand-in loaded";
    // The push button on Pin 9 rings; CTS and DSR come up.
    ASSERT_TRUE(line.driveLines(kRing));
    EXPECT_TRUE(serveUntil([&] { return rings > 0; }));
    ASSERT_TRUE(line.driveLines(kCts | kDsr));
    EXPECT_TRUE(serveUntil([&] { return ctsOn > 0 && dsrOn > 0; }));
    line.driveLines(0);
}

TEST_F(WindowsLineTest, APortIsHeldAgainstASecondOpening) {
    port->OpenPort();
    TComPort second(createPlatformSerialDriver());
    second.SetPort(line.portName());
    const EComPort e = comErrorOf([&] { second.OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_EQ(e.winCode(), 5);  // ERROR_ACCESS_DENIED
}

}  // namespace
}  // namespace dravel::devices
