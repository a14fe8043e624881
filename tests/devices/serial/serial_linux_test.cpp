// The Linux backend: the port list from a sysfs tree of the test's own, the
// line over a pseudo-terminal (never a real serial device), and the event
// detection from two looks at a line.

#include <gtest/gtest.h>

#include <sys/file.h>
#include <termios.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "PseudoTerminal.h"
#include "SerialTestSupport.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/ComPort_linux.h"
#include "devices/serial/SerialPorts.h"
#include "support/ScopedHook.h"

namespace dravel::devices {
namespace {

namespace fs = std::filesystem;
using testing::application;
using testing::comErrorOf;
using testing::PseudoTerminal;
using testing::serveUntil;

// A sysfs tree in a temporary directory.
class FakeSysfs {
public:
    FakeSysfs() {
        fs::remove_all(root_);
        fs::create_directories(root_ / "class" / "tty");
    }
    // The port list reads this tree while the object lives.
    ~FakeSysfs() { fs::remove_all(root_); }

    // A tty entry; hardware adds the device link, type the serial core's UART type.
    fs::path addTty(const std::string& name, bool hardware, int type = -1) {
        const fs::path dir = root_ / "class" / "tty" / name;
        fs::create_directories(dir);
        if (hardware) fs::create_directories(dir / "device");
        if (type >= 0) std::ofstream(dir / "type") << type << "\n";
        return dir;
    }
    // The character device node major:minor, belonging to the given class.
    void addCharDevice(const std::string& number, const std::string& subsystem, bool hardware) {
        const fs::path dir = root_ / "dev" / "char" / number;
        fs::create_directories(dir);
        fs::create_directories(root_ / "class" / subsystem);
        fs::create_directory_symlink(root_ / "class" / subsystem, dir / "subsystem");
        if (hardware) fs::create_directories(dir / "device");
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_ = fs::temp_directory_path() / ("serial-sysfs-" + std::to_string(getpid()));
    const dravel::testing::ScopedHook<std::string> readHere_{replaceSysfsRoot, root_.string()};
};

// ---- Port list ----------------------------------------------------------------

TEST(SerialPortListLinux, ListsHardwarePortsSortedAsText) {
    FakeSysfs sysfs;
    for (const char* name : {"COM2", "COM10", "COM1", "ttyACM0"}) sysfs.addTty(name, true);
    sysfs.addTty("tty0", false);  // terminals without hardware
    sysfs.addTty("console", false);
    sysfs.addTty("ttyS0", true, 0);  // no UART behind it
    sysfs.addTty("ttyS1", true, 4);  // a 16550A
    sysfs.addTty("ttyUSB0", true);   // no serial-core type
    std::vector<std::string> items{"old"};
    ListSerialPorts(items);
    EXPECT_EQ(items,
              (std::vector<std::string>{"COM1", "COM10", "COM2", "ttyACM0", "ttyS1", "ttyUSB0"}));
}

// Without any serial port, as without a readable list, the list raises
// error 23 with the code of a missing list and keeps its items.
TEST(SerialPortListLinux, NoPortsOrNoListRaiseTwentyThreeAndKeepTheItems) {
    const std::vector<std::function<void(FakeSysfs&)>> withoutPorts{
        [](FakeSysfs&) {},
        [](FakeSysfs& sysfs) {
            sysfs.addTty("tty1", false);
            sysfs.addTty("ttyS0", true, 0);
        },
        [](FakeSysfs& sysfs) { fs::remove_all(sysfs.root() / "class"); },
    };
    for (const auto& prepare : withoutPorts) {
        FakeSysfs sysfs;
        prepare(sysfs);
        std::vector<std::string> items{"COM1", "COM2"};
        const EComPort e = comErrorOf([&] { ListSerialPorts(items); });
        EXPECT_EQ(e.code(), ComErrorCode::RegistryError);
        EXPECT_STREQ(e.what(), "Registry error (win error code: 2)");
        EXPECT_EQ(items, (std::vector<std::string>{"COM1", "COM2"}));
        std::vector<std::string> names{"COM1"};
        EXPECT_EQ(comErrorOf([&] { ListSerialPorts(names); }).code(), ComErrorCode::RegistryError);
        EXPECT_EQ(names, std::vector<std::string>{"COM1"});
    }
}

// ---- Line over a pseudo-terminal -------------------------------------------------

class LinuxLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        ASSERT_TRUE(pty.ok());
        port = std::make_unique<TComPort>(createPlatformSerialDriver());
        port->SetPort(pty.slavePath());
    }

    // The pseudo-terminal's master reads and sets the slave's settings.
    termios lineSettings() const {
        termios t{};
        EXPECT_EQ(tcgetattr(pty.master(), &t), 0);
        return t;
    }

    PseudoTerminal pty;
    std::unique_ptr<TComPort> port;
};

TEST_F(LinuxLineTest, OpensWithTheFormsLineSettingsAndChangesThemWhileOpen) {
    termios cooked = lineSettings();
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_cflag |= PARENB;
    cfsetspeed(&cooked, B1200);
    ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &cooked), 0);

    port->OpenPort();
    ASSERT_TRUE(port->Connected());
    const termios t = lineSettings();
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);

    port->SetParity({TParityBits::prOdd, true});
    port->SetStopBits(TStopBits::sbTwoStopBits);
    port->SetFlowControl({.OutCTSFlow = true, .XonXoffIn = true});
    port->SetBaudRate(TBaudRate::br115200);

    // A pseudo-terminal drops the parity enable bit itself; the kind of
    // parity stays visible.
    const termios changed = lineSettings();
    EXPECT_EQ(changed.c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(PARODD));
    EXPECT_TRUE(changed.c_cflag & CSTOPB);
    EXPECT_TRUE(changed.c_cflag & CRTSCTS);
    EXPECT_TRUE(changed.c_iflag & INPCK);
    EXPECT_TRUE(changed.c_iflag & IXOFF);
    EXPECT_FALSE(changed.c_iflag & IXON);
    EXPECT_EQ(cfgetospeed(&changed), B115200);

    const std::pair<TParityBits, tcflag_t> kinds[] = {{TParityBits::prMark, PARODD | CMSPAR},
                                                      {TParityBits::prSpace, CMSPAR}};
    for (auto [bits, flags] : kinds) {
        port->SetParity({bits});
        EXPECT_EQ(lineSettings().c_cflag & (PARODD | CMSPAR), flags);
    }

    // A rate the line cannot take.
    const EComPort e = comErrorOf([&] { port->SetBaudRate(TBaudRate::br14400); });
    EXPECT_EQ(e.code(), ComErrorCode::SetStateFailed);
    EXPECT_EQ(e.winCode(), 87);  // ERROR_INVALID_PARAMETER
    EXPECT_TRUE(port->Connected());
}

TEST_F(LinuxLineTest, PseudoTerminalHasNoModemLinesToSwitch) {
    EXPECT_EQ(comErrorOf([&] { port->SwitchDTR(true); }).winCode(), 6);  // closed
    port->OpenPort();
    for (auto operation : {&TComPort::SwitchDTR, &TComPort::SwitchRTS}) {
        for (bool on : {true, false}) {
            const EComPort e = comErrorOf([&] { (port.get()->*operation)(on); });
            EXPECT_EQ(e.code(), ComErrorCode::EscapeFailed);
            EXPECT_EQ(e.winCode(), 50);  // ERROR_NOT_SUPPORTED
        }
    }
    EXPECT_NO_THROW(port->SwitchBreak(true));
    EXPECT_NO_THROW(port->SwitchBreak(false));
    EXPECT_TRUE(port->Connected());
}

TEST_F(LinuxLineTest, APortIsHeldAgainstOtherProgramsWhileOpen) {
    const int other = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    bool afterOpen = false;
    port->OnAfterOpen = [&](TComPort&) { afterOpen = true; };
    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_EQ(e.winCode(), 5);  // ERROR_ACCESS_DENIED, as Windows says
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(afterOpen);
    close(other);

    port->OpenPort();
    TComPort second(createPlatformSerialDriver());
    second.SetPort(pty.slavePath());
    EXPECT_EQ(comErrorOf([&] { second.OpenPort(); }).code(), ComErrorCode::OpenFailed);
    port->ClosePort();
    second.OpenPort();
    EXPECT_TRUE(second.Connected());
}

TEST_F(LinuxLineTest, MissingDevicesAndDevicesThatAreNoSerialLineAreNotOpened) {
    const int descriptors = testing::descriptorCount();
    port->SetPort("ttyDRAVELMISSING7");
    EXPECT_EQ(comErrorOf([&] { port->OpenPort(); }).winCode(), 2);  // ERROR_FILE_NOT_FOUND
    for (const char* name : {"null", "tty", "console", "ptmx", "/dev/zero", "", "pts"}) {
        port->SetPort(name);
        const EComPort e = comErrorOf([&] { port->OpenPort(); });
        EXPECT_EQ(e.code(), ComErrorCode::OpenFailed) << name;
        EXPECT_EQ(e.winCode(), 2) << name;
    }
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(testing::descriptorCount(), descriptors);
}

TEST_F(LinuxLineTest, SysfsDecidesWhetherACharacterDeviceIsASerialLine) {
    FakeSysfs sysfs;
    sysfs.addCharDevice("1:5", "tty", true);  // /dev/zero posing as a serial line
    port->SetPort("/dev/zero");
    // Accepted as a serial line, it is opened and fails as a terminal would.
    EXPECT_EQ(comErrorOf([&] { port->OpenPort(); }).winCode(), 50);  // ENOTTY: not supported

    sysfs.addCharDevice("1:3", "mem", true);  // /dev/null as what it is
    port->SetPort("/dev/null");
    EXPECT_EQ(comErrorOf([&] { port->OpenPort(); }).winCode(), 2);  // ENODEV: no such port
}

TEST_F(LinuxLineTest, ReceivedBytesReachTheUiThread) {
    std::vector<int> counts;
    port->OnRxChar = [&](TComPort&, int count) { counts.push_back(count); };
    port->OpenPort();
    ASSERT_EQ(write(pty.master(), "hello", 5), 5);
    ASSERT_TRUE(serveUntil([&] { return !counts.empty(); }));
    EXPECT_EQ(counts.front(), 5);

    // The bytes stay queued; only new ones are a new event.
    serveUntil([] { return false; }, 150);
    EXPECT_EQ(counts.size(), 1u);
    ASSERT_EQ(write(pty.master(), "!", 1), 1);
    ASSERT_TRUE(serveUntil([&] { return counts.size() == 2; }));
    EXPECT_EQ(counts.back(), 6);
    port->ClosePort();
}

TEST_F(LinuxLineTest, HangUpEndsTheThreadAndClosingStillWorks) {
    const int threads = testing::threadCount();
    port->OpenPort();
    ASSERT_EQ(testing::threadCount(), threads + 1);
    pty.closeMaster();
    EXPECT_TRUE(testing::waitUntil([&] { return testing::threadCount() == threads; }));
    EXPECT_TRUE(port->Connected());
    EXPECT_NO_THROW(port->ClosePort());
    EXPECT_FALSE(port->Connected());
}

// ---- Event detection ------------------------------------------------------------

LineSnapshot queued(uint32_t input, uint32_t output = 0) {
    return {.inputCount = input, .outputCount = output, .counters = {}};
}
LineSnapshot lines(uint32_t modem) {
    return {.haveModemLines = true, .modemLines = modem, .counters = {}};
}
LineSnapshot counted(LineCounters counters) {
    return {.haveModemLines = true, .haveCounters = true, .counters = counters};
}

// The numbers the Windows build shows for the same failures.
TEST(SerialErrorsLinux, CommonErrorsShowTheWindowsNumbers) {
    const std::pair<int, int> cases[] = {
        {ENOENT, 2}, {ENODEV, 2},  {EACCES, 5},  {EPERM, 5},       {EBUSY, 5},   {EAGAIN, 5},
        {EBADF, 6},  {ENOMEM, 8},  {EIO, 31},    {ENOTTY, 50},     {EINVAL, 87}, {0, 0},
        {EMFILE, 4}, {ENOTDIR, 3}, {EINTR, 995}, {ETIMEDOUT, 121}, {EDOM, EDOM}};
    for (auto [errnoValue, windows] : cases)
        EXPECT_EQ(windowsErrorOf(errnoValue), windows) << errnoValue;
}

TEST(SerialLineEventsLinux, EventsFoundBetweenTwoLooks) {
    struct Case {
        const char* what;
        LineSnapshot before, now;
        uint32_t inputSize, events;
    };
    const Case cases[] = {
        {"bytes arrive", queued(0), queued(3), 1024, kEvRxChar},
        {"bytes still queued", queued(3), queued(3), 1024, 0},
        {"bytes read", queued(3), queued(0), 1024, 0},
        {"queue passes 80 % (819.2)", queued(818), queued(820), 1024, kEvRxChar | kEvRx80Full},
        {"queue stays above 80 %", queued(820), queued(900), 1024, kEvRxChar},
        {"no queue size", queued(0), queued(900), 0, kEvRxChar},
        {"output ran empty", queued(0, 10), queued(0), 1024, kEvTxEmpty},
        {"output filled", queued(0), queued(0, 10), 1024, 0},
        {"lines rise", lines(0), lines(kModemCts | kModemRlsd), 1024, kEvCts | kEvRlsd},
        {"lines fall", lines(kModemCts | kModemRlsd), lines(0), 1024, kEvCts | kEvRlsd},
        {"ring starts", lines(0), lines(kModemDsr | kModemRing), 1024, kEvDsr | kEvRing},
        {"ring ends", lines(kModemDsr | kModemRing), lines(0), 1024, kEvDsr | kEvRing},
        {"no modem lines",
         lines(0),
         {.modemLines = kModemDsr | kModemRing, .counters = {}},
         1024,
         0},
        {"pulses between looks", counted({}), counted({.cts = 2, .ring = 1, .breaks = 1}), 1024,
         kEvCts | kEvRing | kEvBreak},
        {"DSR and DCD pulses", counted({}), counted({.dsr = 1, .dcd = 3}), 1024, kEvDsr | kEvRlsd},
        {"frame error", counted({}), counted({.frame = 1}), 1024, kEvError},
        {"buffer overrun", counted({}), counted({.bufferOverrun = 4}), 1024, kEvError},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detectLineEvents(c.before, c.now, c.inputSize), c.events) << c.what;
    }

    const LineCounters errors{
        .frame = 1, .overrun = 2, .parity = 1, .breaks = 1, .bufferOverrun = 9};
    EXPECT_EQ(lineErrorsBetween({}, errors),
              kLineFrame | kLineOverrun | kLineRxParity | kLineBreak | kLineRxOver);
    EXPECT_EQ(lineErrorsBetween(errors, errors), 0u);
}

}  // namespace
}  // namespace dravel::devices
