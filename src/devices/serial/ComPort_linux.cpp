// Serial ports on Linux: the port list from sysfs, the line over termios and
// ioctl, the event watch over poll() with a stop descriptor.

#include "devices/serial/ComPort_linux.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <utility>

#include "devices/serial/SerialDriver.h"

namespace dravel::devices {

namespace fs = std::filesystem;

namespace {
// The input lines as the kernel names them, and as the port reports them.
constexpr std::pair<int, uint32_t> kInputLines[] = {
    {TIOCM_CTS, kModemCts}, {TIOCM_DSR, kModemDsr}, {TIOCM_RI, kModemRing}, {TIOCM_CD, kModemRlsd}};

uint32_t inputLinesOf(int kernelBits) {
    uint32_t lines = 0;
    for (const auto& [kernel, port] : kInputLines)
        if (kernelBits & kernel) lines |= port;
    return lines;
}
}  // namespace

namespace {

// How often the watch looks at the input lines, which poll() cannot wait for.
constexpr int kLookIntervalMs = 50;
// Major number of /dev/tty, /dev/console and /dev/ptmx.
constexpr unsigned kTtyAuxMajor = 5;

std::mutex& rootMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& rootOverride() {
    static std::string root;
    return root;
}

fs::path sysfsRoot() {
    std::lock_guard lock(rootMutex());
    return rootOverride().empty() ? fs::path("/sys") : fs::path(rootOverride());
}

// A tty with hardware behind it: a device link and, for ports of the serial
// core, a known UART type (type 0 marks the placeholder ttyS entries).
bool hasSerialHardware(const fs::path& ttyDir) {
    std::error_code ec;
    if (!fs::exists(ttyDir / "device", ec)) return false;
    std::ifstream typeFile(ttyDir / "type");
    int type = -1;
    if (typeFile >> type) return type != 0;
    return true;
}

bool isPseudoTerminal(const std::string& path) {
    struct statfs info {};
    return statfs(path.c_str(), &info) == 0 && info.f_type == DEVPTS_SUPER_MAGIC;
}

// Only serial lines are opened: the port name is free text, and opening an
// arbitrary device (a watchdog, the controlling terminal) has side effects.
bool isSerialDevice(const std::string& path, const struct stat& st) {
    if (!S_ISCHR(st.st_mode) || major(st.st_rdev) == kTtyAuxMajor) return false;
    if (isPseudoTerminal(path)) return true;
    const fs::path node =
        sysfsRoot() / "dev" / "char" /
        (std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)));
    std::error_code ec;
    const fs::path subsystem = fs::read_symlink(node / "subsystem", ec);
    return !ec && subsystem.filename() == "tty" && hasSerialHardware(node);
}

std::string devicePath(const std::string& name) {
    return !name.empty() && name.front() == '/' ? name : "/dev/" + name;
}

speed_t speedFor(uint32_t baud) {
    switch (baud) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

tcflag_t characterSize(uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return 0;
    }
}

// Parity bits of c_cflag for parity 0..4 (none, odd, even, mark, space).
tcflag_t parityFlags(uint8_t parity) {
    static constexpr tcflag_t kFlags[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                          PARENB | CMSPAR};
    return kFlags[parity];
}

SystemError lastError() {
    return windowsErrorOf(errno);
}

// A line without modem control (a pseudo-terminal) answers these.
bool noModemControl(SystemError error) {
    return error == ENOTTY || error == EINVAL;
}

LineCounters toCounters(const serial_icounter_struct& ic) {
    auto u = [](int v) { return static_cast<uint32_t>(v); };
    return {u(ic.cts),     u(ic.dsr),    u(ic.rng), u(ic.dcd),        u(ic.frame),
            u(ic.overrun), u(ic.parity), u(ic.brk), u(ic.buf_overrun)};
}

class LinuxSerialLine;

class LinuxEventWatch final : public EventWatch {
public:
    LinuxEventWatch(LinuxSerialLine& line, int stopFd);
    ~LinuxEventWatch() override { ::close(stop_fd_); }

    Wake wait(uint32_t& mask) override;
    void stop() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(stop_fd_, &one, sizeof one);
    }

private:
    LinuxSerialLine& line_;
    int stop_fd_;
    LineSnapshot last_;
};

class LinuxSerialLine final : public SerialLine {
public:
    explicit LinuxSerialLine(int fd) : fd_(fd) {
        serial_icounter_struct ic{};
        if (ioctl(fd_, TIOCGICOUNT, &ic) == 0) error_baseline_ = toCounters(ic);
    }
    ~LinuxSerialLine() override {
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    SystemError setupQueues(uint32_t inputSize, uint32_t) override {
        input_size_ = inputSize;  // the kernel's queues have a fixed size
        return 0;
    }

    SystemError setState(const DeviceControlBlock& dcb) override;

    SystemError setTimeouts(const CommTimeouts&) override {
        return 0;  // the descriptor is non-blocking; nothing waits on a transfer
    }

    SystemError escape(EscapeCode code) override {
        int result = -1;
        switch (code) {
            case EscapeCode::SetBreak:
                result = ioctl(fd_, TIOCSBRK);
                break;
            case EscapeCode::ClearBreak:
                result = ioctl(fd_, TIOCCBRK);
                break;
            case EscapeCode::SetDtr:
                result = modemBits(TIOCMBIS, TIOCM_DTR);
                break;
            case EscapeCode::ClearDtr:
                result = modemBits(TIOCMBIC, TIOCM_DTR);
                break;
            case EscapeCode::SetRts:
                result = modemBits(TIOCMBIS, TIOCM_RTS);
                break;
            case EscapeCode::ClearRts:
                result = modemBits(TIOCMBIC, TIOCM_RTS);
                break;
            default:
                return windowsErrorOf(EINVAL);
        }
        return result == 0 ? 0 : lastError();
    }

    // A line without modem control has no input line asserted.
    SystemError modemStatus(uint32_t& lines) override {
        int bits = 0;
        lines = 0;
        if (ioctl(fd_, TIOCMGET, &bits) != 0) {
            const int error = errno;
            return noModemControl(error) ? 0 : windowsErrorOf(error);
        }
        lines = inputLinesOf(bits);
        return 0;
    }

    SystemError clearError(uint32_t& errors, uint32_t& inputCount) override {
        int count = 0;
        errors = 0;
        if (ioctl(fd_, FIONREAD, &count) != 0) return lastError();
        inputCount = static_cast<uint32_t>(count);
        serial_icounter_struct ic{};
        if (ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
            const LineCounters now = toCounters(ic);
            std::lock_guard lock(error_mutex_);
            errors = lineErrorsBetween(error_baseline_, now);
            error_baseline_ = now;
        }
        return 0;
    }

    // The descriptor is non-blocking and nothing reads or writes through it,
    // so there never is a pending transfer to abort; clearing empties the
    // kernel's queues.
    SystemError purge(uint32_t flags) override {
        const bool tx = flags & kPurgeTxClear;
        const bool rx = flags & kPurgeRxClear;
        if (!tx && !rx) return 0;
        const int queue = tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH);
        return tcflush(fd_, queue) == 0 ? 0 : lastError();
    }

    SystemError setEventMask(uint32_t mask) override {
        event_mask_ = mask;
        return 0;
    }

    std::unique_ptr<EventWatch> createEventWatch(SystemError& error) override {
        const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (stopFd < 0) {
            error = lastError();
            return nullptr;
        }
        return std::make_unique<LinuxEventWatch>(*this, stopFd);
    }

    int fd() const { return fd_; }
    uint32_t eventMask() const { return event_mask_; }
    uint32_t inputSize() const { return input_size_; }

    LineSnapshot snapshot() const {
        LineSnapshot s;
        int count = 0;
        if (ioctl(fd_, FIONREAD, &count) == 0) s.inputCount = static_cast<uint32_t>(count);
        if (ioctl(fd_, TIOCOUTQ, &count) == 0) s.outputCount = static_cast<uint32_t>(count);
        int bits = 0;
        if (ioctl(fd_, TIOCMGET, &bits) == 0) {
            s.haveModemLines = true;
            s.modemLines = inputLinesOf(bits);
        }
        serial_icounter_struct ic{};
        if (ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
            s.haveCounters = true;
            s.counters = toCounters(ic);
        }
        return s;
    }

private:
    int modemBits(unsigned long request, int bits) { return ioctl(fd_, request, &bits); }

    // DTR and RTS as their control mode asks; handshake modes leave them to
    // the driver. A line without modem lines keeps its settings all the same.
    SystemError applyOutputLineControl(const DeviceControlBlock& dcb) {
        const uint32_t dtr = (dcb.flags & kDcbDtrControlMask) >> 4;
        const uint32_t rts = (dcb.flags & kDcbRtsControlMask) >> 12;
        for (auto [mode, bit] : {std::pair{dtr, TIOCM_DTR}, std::pair{rts, TIOCM_RTS}}) {
            if (mode > 1) continue;
            if (modemBits(mode == 1 ? TIOCMBIS : TIOCMBIC, bit) != 0 && !noModemControl(errno)) {
                return lastError();
            }
        }
        return 0;
    }

    int fd_;
    std::atomic<uint32_t> event_mask_{0};
    std::atomic<uint32_t> input_size_{0};
    std::mutex error_mutex_;
    LineCounters error_baseline_;
};

SystemError LinuxSerialLine::setState(const DeviceControlBlock& dcb) {
    const speed_t speed = speedFor(dcb.baudRate);
    const tcflag_t size = characterSize(dcb.byteSize);
    if (speed == B0 || size == 0 || dcb.parity > 4 || dcb.stopBits > 2)
        return windowsErrorOf(EINVAL);

    termios t{};
    if (tcgetattr(fd_, &t) != 0) return lastError();
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | size | parityFlags(dcb.parity);
    if (dcb.stopBits != 0) t.c_cflag |= CSTOPB;  // Linux has no 1.5 stop bits
    const bool rtsHandshake = (dcb.flags & kDcbRtsControlMask) == 0x2000;
    if ((dcb.flags & kDcbOutCtsFlow) || rtsHandshake) t.c_cflag |= CRTSCTS;
    if (dcb.flags & kDcbParityCheck) t.c_iflag |= INPCK;
    if (dcb.flags & kDcbXonXoffOut) t.c_iflag |= IXON;
    if (dcb.flags & kDcbXonXoffIn) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.xoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return lastError();
    return applyOutputLineControl(dcb);
}

LinuxEventWatch::LinuxEventWatch(LinuxSerialLine& line, int stopFd)
    : line_(line), stop_fd_(stopFd), last_(line.snapshot()) {}

EventWatch::Wake LinuxEventWatch::wait(uint32_t& mask) {
    for (;;) {
        // Waiting for input only while the queue is empty: received bytes
        // stay in the queue, and poll() would report them again at once.
        pollfd fds[2] = {{stop_fd_, POLLIN, 0},
                         {line_.fd(), static_cast<short>(last_.inputCount == 0 ? POLLIN : 0), 0}};
        if (poll(fds, 2, kLookIntervalMs) < 0 && errno != EINTR) return Wake::Failed;
        if (fds[0].revents & POLLIN) return Wake::Stopped;
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return Wake::Failed;

        const LineSnapshot now = line_.snapshot();
        const uint32_t events = detectLineEvents(last_, now, line_.inputSize()) & line_.eventMask();
        last_ = now;
        if (events != 0) {
            mask = events;
            return Wake::Events;
        }
    }
}

class LinuxSerialDriver final : public SerialDriver {
public:
    SystemError listPorts(std::vector<std::string>& names) override {
        std::error_code ec;
        for (fs::directory_iterator it(sysfsRoot() / "class" / "tty", ec), end; !ec && it != end;
             it.increment(ec)) {
            if (hasSerialHardware(it->path())) names.push_back(it->path().filename().string());
        }
        if (ec) return windowsErrorOf(ec.value());
        // A machine without serial ports has no list at all on Windows, and
        // the dialogs show that error rather than an empty selector.
        return names.empty() ? windowsErrorOf(ENOENT) : 0;
    }

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override {
        const std::string path = devicePath(name);
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) {
            error = lastError();
            return nullptr;
        }
        if (!isSerialDevice(path, st)) {
            error = windowsErrorOf(ENODEV);
            return nullptr;
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        // Exclusive like the Windows open: a lock other programs respect, and
        // the terminal's own exclusive mode.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
            error = lastError();
            ::close(fd);
            return nullptr;
        }
        // The kernel raises DTR and RTS on every open; the port's settings
        // leave them to the program, and a relay must not switch because a
        // port was opened.
        int bits = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd, TIOCMBIC, &bits);
        return std::make_unique<LinuxSerialLine>(fd);
    }

    SystemError invalidHandleError() override { return windowsErrorOf(EBADF); }
};

}  // namespace

int windowsErrorOf(int errnoValue) {
    struct Counterpart {
        int errnoValue;
        int windowsError;
    };
    static constexpr Counterpart kCounterparts[] = {
        {ENOENT, 2},      {ENODEV, 2},      {ENXIO, 2},  // ERROR_FILE_NOT_FOUND
        {ENOTDIR, 3},                                    // ERROR_PATH_NOT_FOUND
        {EMFILE, 4},      {ENFILE, 4},                   // ERROR_TOO_MANY_OPEN_FILES
        {EACCES, 5},      {EPERM, 5},       {EBUSY, 5},  // ERROR_ACCESS_DENIED: also a port
        {EAGAIN, 5},      {EROFS, 5},                    // another program holds
        {EBADF, 6},                                      // ERROR_INVALID_HANDLE
        {ENOMEM, 8},                                     // ERROR_NOT_ENOUGH_MEMORY
        {EIO, 31},                                       // ERROR_GEN_FAILURE
        {ENOTTY, 50},     {EOPNOTSUPP, 50},              // ERROR_NOT_SUPPORTED
        {EINVAL, 87},                                    // ERROR_INVALID_PARAMETER
        {ETIMEDOUT, 121},                                // ERROR_SEM_TIMEOUT
        {EINTR, 995},                                    // ERROR_OPERATION_ABORTED
    };
    for (const Counterpart& c : kCounterparts)
        if (c.errnoValue == errnoValue) return c.windowsError;
    return errnoValue;
}

std::string replaceSysfsRoot(std::string root) {
    std::lock_guard lock(rootMutex());
    return std::exchange(rootOverride(), std::move(root));
}

std::shared_ptr<SerialDriver> createPlatformSerialDriver() {
    return std::make_shared<LinuxSerialDriver>();
}

}  // namespace dravel::devices
