#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dravel::devices {

// The operating system's serial port calls, in the shape of the Windows comm
// functions the port component was designed around. Every call returns the
// system's error number, 0 for success, so the port logic above can raise its
// own error numbers and texts. The Linux backend, the Windows backend and the
// tests' simulated driver implement it.

using SystemError = int;  // errno on Linux, GetLastError() on Windows; 0 = success

// Codes of the line switch call (EscapeCommFunction).
enum class EscapeCode : uint32_t {
    SetRts = 3,
    ClearRts = 4,
    SetDtr = 5,
    ClearDtr = 6,
    SetBreak = 8,
    ClearBreak = 9,
};

// Flags of the purge call (PurgeComm).
inline constexpr uint32_t kPurgeTxAbort = 0x0001;
inline constexpr uint32_t kPurgeRxAbort = 0x0002;
inline constexpr uint32_t kPurgeTxClear = 0x0004;
inline constexpr uint32_t kPurgeRxClear = 0x0008;

// Input line bits of the modem status (GetCommModemStatus).
inline constexpr uint32_t kModemCts = 0x0010;
inline constexpr uint32_t kModemDsr = 0x0020;
inline constexpr uint32_t kModemRing = 0x0040;
inline constexpr uint32_t kModemRlsd = 0x0080;

// Line error bits (ClearCommError).
inline constexpr uint32_t kLineRxOver = 0x0001;
inline constexpr uint32_t kLineOverrun = 0x0002;
inline constexpr uint32_t kLineRxParity = 0x0004;
inline constexpr uint32_t kLineFrame = 0x0008;
inline constexpr uint32_t kLineBreak = 0x0010;
inline constexpr uint32_t kLineTxFull = 0x0100;
inline constexpr uint32_t kLineIo = 0x0400;
inline constexpr uint32_t kLineMode = 0x8000;

// Event mask bits (SetCommMask / WaitCommEvent).
inline constexpr uint32_t kEvRxChar = 0x0001;
inline constexpr uint32_t kEvRxFlag = 0x0002;
inline constexpr uint32_t kEvTxEmpty = 0x0004;
inline constexpr uint32_t kEvCts = 0x0008;
inline constexpr uint32_t kEvDsr = 0x0010;
inline constexpr uint32_t kEvRlsd = 0x0020;
inline constexpr uint32_t kEvBreak = 0x0040;
inline constexpr uint32_t kEvError = 0x0080;
inline constexpr uint32_t kEvRing = 0x0100;
inline constexpr uint32_t kEvRx80Full = 0x0400;

// The events that a change of the input lines between two looks at them gives: each line that
// changed, the ring at both ends of a press (as Wine reports it), so that whoever follows Pin 9
// also learns that the push button was let go.
constexpr uint32_t modemLineEvents(uint32_t before, uint32_t now) {
    const uint32_t changed = before ^ now;
    uint32_t events = 0;
    if (changed & kModemCts) events |= kEvCts;
    if (changed & kModemDsr) events |= kEvDsr;
    if (changed & kModemRlsd) events |= kEvRlsd;
    if (changed & kModemRing) events |= kEvRing;
    return events;
}

// The device-control record handed to the line (the layout of Win32's DCB,
// with the bit fields as one flag word).
struct DeviceControlBlock {
    uint32_t length = 28;
    uint32_t baudRate = 0;
    uint32_t flags = 0;
    uint16_t xonLimit = 0;
    uint16_t xoffLimit = 0;
    uint8_t byteSize = 0;
    uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0;
    char xoffChar = 0;
    char errorChar = 0;
    char eofChar = 0;
    char eventChar = 0;

    bool operator==(const DeviceControlBlock&) const = default;
};

// Flag bits of DeviceControlBlock::flags.
inline constexpr uint32_t kDcbBinary = 0x0001;
inline constexpr uint32_t kDcbParityCheck = 0x0002;
inline constexpr uint32_t kDcbOutCtsFlow = 0x0004;
inline constexpr uint32_t kDcbOutDsrFlow = 0x0008;
inline constexpr uint32_t kDcbDtrControlMask = 0x0030;  // 0x00 off, 0x10 on, 0x20 handshake
inline constexpr uint32_t kDcbDsrSensitivity = 0x0040;
inline constexpr uint32_t kDcbTxContinueOnXoff = 0x0080;
inline constexpr uint32_t kDcbXonXoffOut = 0x0100;
inline constexpr uint32_t kDcbXonXoffIn = 0x0200;
inline constexpr uint32_t kDcbReplaceErrors = 0x0400;
inline constexpr uint32_t kDcbDiscardNull = 0x0800;
inline constexpr uint32_t kDcbRtsControlMask =
    0x3000;  // 0x0000 off, 0x1000 on, 0x2000 hs, 0x3000 toggle

// Driver time-outs in milliseconds (COMMTIMEOUTS); -1 is passed as all ones.
struct CommTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

// The wait for line events of one event thread. Made by the UI thread before
// the thread starts and freed by it after the thread has ended.
class EventWatch {
public:
    enum class Wake {
        Events,   // mask holds the events that occurred
        Nothing,  // woke without events (e.g. an overlapped result not ready): wait again
        Stopped,  // stop() was called
        Failed,   // the wait itself failed: the thread ends
    };

    virtual ~EventWatch() = default;

    // Event thread: blocks until events, a stop or a failure.
    virtual Wake wait(uint32_t& mask) = 0;
    // UI thread: makes the current or next wait() return Stopped.
    virtual void stop() = 0;
};

// An open port. The UI thread and the event thread call it at the same time.
class SerialLine {
public:
    virtual ~SerialLine() = default;  // closes the handle

    virtual SystemError setupQueues(uint32_t inputSize, uint32_t outputSize) = 0;
    virtual SystemError setState(const DeviceControlBlock& dcb) = 0;
    virtual SystemError setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual SystemError escape(EscapeCode code) = 0;
    virtual SystemError modemStatus(uint32_t& lines) = 0;
    // Returns (and clears) the line errors and the number of bytes waiting.
    virtual SystemError clearError(uint32_t& errors, uint32_t& inputCount) = 0;
    virtual SystemError purge(uint32_t flags) = 0;
    virtual SystemError setEventMask(uint32_t mask) = 0;
    virtual std::unique_ptr<EventWatch> createEventWatch(SystemError& error) = 0;
};

class SerialDriver {
public:
    virtual ~SerialDriver() = default;

    // Fills names with the ports the system lists (unsorted).
    virtual SystemError listPorts(std::vector<std::string>& names) = 0;
    // Opens the port exclusively; null with error set on failure.
    virtual std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) = 0;
    // The error a line call reports for a handle that is not open.
    virtual SystemError invalidHandleError() = 0;
};

// The platform's driver (termios/ioctl on Linux, the Win32 comm calls on Windows).
std::shared_ptr<SerialDriver> createPlatformSerialDriver();

// The program-wide driver that new port components and ListSerialPorts use.
std::shared_ptr<SerialDriver> serialDriver();

// Tests put a stand-in in; hands back what was there. Null puts the
// platform's driver back.
std::shared_ptr<SerialDriver> replaceSerialDriver(std::shared_ptr<SerialDriver> driver);

}  // namespace dravel::devices
