// The Linux backend: the port list from a sysfs tree of the test's own, the
// line over a pseudo-terminal (never a real serial device), and the event
// detection from two looks at a line.

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "SerialTestSupport.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/ComPort_linux.h"

namespace dravel::devices {
namespace {

namespace fs = std::filesystem;
using testing::application;
using testing::PseudoTerminal;
using testing::serveUntil;

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

// A sysfs tree in a temporary directory.
class FakeSysfs {
public:
    FakeSysfs() {
        root_ = fs::temp_directory_path() / ("serial-sysfs-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "class" / "tty");
        overrideSysfsRootForTests(root_.string());
    }
    ~FakeSysfs() {
        overrideSysfsRootForTests("");
        fs::remove_all(root_);
    }

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
    fs::path root_;
};

// ---- Port list ----------------------------------------------------------------

TEST(SerialPortListLinux, ListsHardwarePortsSortedAsText) {
    FakeSysfs sysfs;
    sysfs.addTty("COM2", true);
    sysfs.addTty("COM10", true);
    sysfs.addTty("COM1", true);
    std::vector<std::string> names;
    ListSerialPorts(names);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM10", "COM2"}));
}

TEST(SerialPortListLinux, SkipsTerminalsWithoutHardwareAndPlaceholderUarts) {
    FakeSysfs sysfs;
    sysfs.addTty("tty0", false);
    sysfs.addTty("console", false);
    sysfs.addTty("ttyS0", true, 0);  // no UART behind it
    sysfs.addTty("ttyS1", true, 4);  // a 16550A
    sysfs.addTty("ttyUSB0", true);   // no serial-core type
    sysfs.addTty("ttyACM0", true);
    QStringList items{"old"};
    ListSerialPorts(items);
    EXPECT_EQ(items, (QStringList{"ttyACM0", "ttyS1", "ttyUSB0"}));
}

TEST(SerialPortListLinux, NoPortsGivesAnEmptyList) {
    FakeSysfs sysfs;
    sysfs.addTty("tty1", false);
    QStringList items{"old"};
    ListSerialPorts(items);
    EXPECT_TRUE(items.isEmpty());
}

TEST(SerialPortListLinux, MissingListRaisesTwentyThreeAndKeepsTheItems) {
    FakeSysfs sysfs;
    fs::remove_all(sysfs.root() / "class");
    QStringList items{"COM1", "COM2"};
    const EComPort e = comErrorOf([&] { ListSerialPorts(items); });
    EXPECT_EQ(e.code(), ComErrorCode::RegistryError);
    EXPECT_EQ(e.winCode(), ENOENT);
    EXPECT_STREQ(e.what(), "Registry error (win error code: 2)");
    EXPECT_EQ(items, (QStringList{"COM1", "COM2"}));
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

TEST_F(LinuxLineTest, OpensWithTheFormsLineSettings) {
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
}

TEST_F(LinuxLineTest, LineSettingsChangeWhileOpen) {
    port->OpenPort();
    TComParity odd;
    odd.Bits = TParityBits::prOdd;
    odd.Check = true;
    port->SetParity(odd);
    port->SetStopBits(TStopBits::sbTwoStopBits);
    TComFlowControl flow;
    flow.XonXoffIn = true;
    flow.OutCTSFlow = true;
    port->SetFlowControl(flow);
    port->SetBaudRate(TBaudRate::br115200);

    // A pseudo-terminal drops the parity enable bit itself; the kind of
    // parity stays visible.
    const termios t = lineSettings();
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(PARODD));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_EQ(cfgetospeed(&t), B115200);

    TComParity mark;
    mark.Bits = TParityBits::prMark;
    port->SetParity(mark);
    EXPECT_EQ(lineSettings().c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(PARODD | CMSPAR));
    TComParity space;
    space.Bits = TParityBits::prSpace;
    port->SetParity(space);
    EXPECT_EQ(lineSettings().c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(CMSPAR));

    // A rate the line cannot take.
    const EComPort e = comErrorOf([&] { port->SetBaudRate(TBaudRate::br14400); });
    EXPECT_EQ(e.code(), ComErrorCode::SetStateFailed);
    EXPECT_EQ(e.winCode(), EINVAL);
    EXPECT_TRUE(port->Connected());
}

TEST_F(LinuxLineTest, PseudoTerminalHasNoModemLinesToSwitch) {
    port->OpenPort();
    for (auto operation : {&TComPort::SwitchDTR, &TComPort::SwitchRTS}) {
        for (bool on : {true, false}) {
            const EComPort e = comErrorOf([&] { (port.get()->*operation)(on); });
            EXPECT_EQ(e.code(), ComErrorCode::EscapeFailed);
            EXPECT_EQ(e.winCode(), ENOTTY);
            EXPECT_EQ(std::string(e.what()),
                      "EscapeCommFunction function failed (win error code: " +
                          std::to_string(ENOTTY) + ")");
        }
    }
    EXPECT_NO_THROW(port->SwitchBreak(true));
    EXPECT_NO_THROW(port->SwitchBreak(false));
    EXPECT_TRUE(port->Connected());
}

TEST_F(LinuxLineTest, SwitchOnAClosedPortRaisesTwelveWithBadDescriptor) {
    const EComPort e = comErrorOf([&] { port->SwitchDTR(true); });
    EXPECT_EQ(e.code(), ComErrorCode::EscapeFailed);
    EXPECT_EQ(e.winCode(), EBADF);
}

TEST_F(LinuxLineTest, PortHeldByAnotherProgramCannotBeOpened) {
    const int other = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    bool afterOpen = false;
    port->OnAfterOpen = [&](TComPort&) { afterOpen = true; };

    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_EQ(e.winCode(), EWOULDBLOCK);
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(afterOpen);
    close(other);

    port->OpenPort();
    EXPECT_TRUE(port->Connected());
}

TEST_F(LinuxLineTest, OpenPortIsHeldAgainstOthersUntilClosed) {
    port->OpenPort();
    TComPort second(createPlatformSerialDriver());
    second.SetPort(pty.slavePath());
    EXPECT_EQ(comErrorOf([&] { second.OpenPort(); }).code(), ComErrorCode::OpenFailed);

    port->ClosePort();
    second.OpenPort();
    EXPECT_TRUE(second.Connected());
}

TEST_F(LinuxLineTest, MissingDeviceRaisesOneWithNotFound) {
    port->SetPort("ttyDRAVELMISSING7");
    const EComPort e = comErrorOf([&] { port->OpenPort(); });
    EXPECT_EQ(e.code(), ComErrorCode::OpenFailed);
    EXPECT_STREQ(e.what(), "ComPort lässt sich nicht öffnen (win error code: 2)");
}

TEST_F(LinuxLineTest, DevicesThatAreNoSerialLineAreNotOpened) {
    const int descriptors = testing::descriptorCount();
    for (const char* name : {"null", "tty", "console", "ptmx", "/dev/zero", "", "pts"}) {
        port->SetPort(name);
        const EComPort e = comErrorOf([&] { port->OpenPort(); });
        EXPECT_EQ(e.code(), ComErrorCode::OpenFailed) << name;
        EXPECT_EQ(e.winCode(), ENODEV) << name;
        EXPECT_FALSE(port->Connected());
    }
    EXPECT_EQ(testing::descriptorCount(), descriptors);
}

TEST_F(LinuxLineTest, SysfsDecidesWhetherACharacterDeviceIsASerialLine) {
    FakeSysfs sysfs;
    sysfs.addCharDevice("1:5", "tty", true);  // /dev/zero posing as a serial line
    port->SetPort("/dev/zero");
    // Accepted as a serial line, it is opened and fails as a terminal would.
    EXPECT_EQ(comErrorOf([&] { port->OpenPort(); }).winCode(), ENOTTY);

    sysfs.addCharDevice("1:3", "mem", true);  // /dev/null as what it is
    port->SetPort("/dev/null");
    EXPECT_EQ(comErrorOf([&] { port->OpenPort(); }).winCode(), ENODEV);
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

TEST_F(LinuxLineTest, ClosingReleasesTheDescriptorAndTheThread) {
    const int descriptors = testing::descriptorCount();
    const int threads = testing::threadCount();
    for (int i = 0; i < 100; ++i) {
        port->OpenPort();
        ASSERT_TRUE(port->hasEventThread());
        port->ClosePort();
    }
    EXPECT_EQ(testing::descriptorCount(), descriptors);
    EXPECT_EQ(testing::threadCount(), threads);

    const int other = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
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

TEST(SerialLineEventsLinux, ArrivingBytesAndQueueLevels) {
    LineSnapshot before, now;
    now.inputCount = 3;
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvRxChar);
    EXPECT_EQ(detectLineEvents(now, now, 1024), 0u);  // still queued, nothing new
    EXPECT_EQ(detectLineEvents(now, before, 1024), 0u);

    before.inputCount = 818;
    now.inputCount = 820;  // 80 % of 1024 is 819.2
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvRxChar | kEvRx80Full);
    before.inputCount = 820;
    now.inputCount = 900;
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvRxChar);
    EXPECT_EQ(detectLineEvents({}, now, 0), kEvRxChar);

    LineSnapshot sending, sent;
    sending.outputCount = 10;
    EXPECT_EQ(detectLineEvents(sending, sent, 1024), kEvTxEmpty);
    EXPECT_EQ(detectLineEvents(sent, sending, 1024), 0u);
}

TEST(SerialLineEventsLinux, InputLineLevels) {
    LineSnapshot before, now;
    before.haveModemLines = now.haveModemLines = true;
    now.modemLines = kModemCts | kModemRlsd;
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvCts | kEvRlsd);
    EXPECT_EQ(detectLineEvents(now, before, 1024), kEvCts | kEvRlsd);
    before.modemLines = 0;
    now.modemLines = kModemDsr | kModemRing;
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvDsr | kEvRing);
    EXPECT_EQ(detectLineEvents(now, before, 1024), kEvDsr);  // a ring is its start

    now.haveModemLines = false;  // a line without modem lines reports none
    EXPECT_EQ(detectLineEvents(before, now, 1024), 0u);
}

TEST(SerialLineEventsLinux, CountersCatchPulsesBetweenLooks) {
    LineSnapshot before, now;
    before.haveCounters = now.haveCounters = true;
    before.haveModemLines = now.haveModemLines = true;
    now.counters.cts = 2;  // on and off again: same level, two changes
    now.counters.ring = 1;
    now.counters.breaks = 1;
    EXPECT_EQ(detectLineEvents(before, now, 1024), kEvCts | kEvRing | kEvBreak);

    LineSnapshot errors = before;
    errors.counters.frame = 1;
    EXPECT_EQ(detectLineEvents(before, errors, 1024), kEvError);
    errors.counters = {};
    errors.counters.bufferOverrun = 4;
    EXPECT_EQ(detectLineEvents(before, errors, 1024), kEvError);
    errors.counters = {};
    errors.counters.dsr = 1;
    errors.counters.dcd = 3;
    EXPECT_EQ(detectLineEvents(before, errors, 1024), kEvDsr | kEvRlsd);
}

TEST(SerialLineEventsLinux, ErrorBitsFromCounters) {
    LineCounters before, now;
    now.frame = 1;
    now.overrun = 2;
    now.parity = 1;
    now.breaks = 1;
    now.bufferOverrun = 9;
    EXPECT_EQ(lineErrorsBetween(before, now),
              kLineFrame | kLineOverrun | kLineRxParity | kLineBreak | kLineRxOver);
    EXPECT_EQ(lineErrorsBetween(now, now), 0u);
}

}  // namespace
}  // namespace dravel::devices
