// The Windows serial back-end under Wine: the port list from the registry and a port held against
// a second opening, over COM7, which scripts/test-windows.sh links to a pseudo-terminal (COM10
// leads there too). Never COM1 to COM4: those are the machine's own ports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "SerialTestSupport.h"
#include "common/TestPlatform.h"
#include "common/TestSerialLine.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/SerialPorts.h"

namespace dravel::devices {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(SerialPortListWindows, ListsTheRegistrysPortsSortedAsText) {
    testplatform::TestSerialLine line;
    if (!line.ok()) GTEST_SKIP() << line.whyNot();
    std::vector<std::string> names;
    ListSerialPorts(names);
    const auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name); };
    ASSERT_NE(at("COM7"), names.end()) << ::testing::PrintToString(names);
    ASSERT_NE(at("COM10"), names.end()) << ::testing::PrintToString(names);
    EXPECT_LT(at("COM10"), at("COM7"));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return lower(a) < lower(b);
    })) << ::testing::PrintToString(names);
}

TEST(SerialPortWindows, IsHeldAgainstASecondOpening) {
    testing::application();
    testplatform::TestSerialLine line;
    if (!line.ok()) GTEST_SKIP() << line.whyNot();
    if (testplatform::runningUnderWine())
        GTEST_SKIP() << "Wine does not keep a COM port from a second opening";
    TComPort first(createPlatformSerialDriver());
    first.SetPort(line.portName());
    first.OpenPort();
    TComPort second(createPlatformSerialDriver());
    second.SetPort(line.portName());
    const EComPort e = testing::comErrorOf([&] { second.OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_EQ(e.winCode(), 5);  // ERROR_ACCESS_DENIED
}

}  // namespace
}  // namespace dravel::devices
