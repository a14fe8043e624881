#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "devices/serial/SerialDriver.h"

namespace dravel::devices {

// ---- Errors ---------------------------------------------------------------

enum class ComErrorCode : int {
    OpenFailed = 1,
    PurgeFailed = 5,
    SetStateFailed = 7,
    TimeoutsFailed = 8,
    SetupFailed = 9,
    ClearErrorFailed = 10,
    ModemStatusFailed = 11,
    EscapeFailed = 12,
    LedStateLocked = 19,
    RegistryError = 23,
};

// The error text of a number, without the system error number.
std::string comErrorText(ComErrorCode code);

// A serial port failure. what() is the full message: the text of the error
// number, followed by " (win error code: N)" when the error carries the
// system's error number (errno on Linux, GetLastError() on Windows).
class EComPort : public std::runtime_error {
public:
    static constexpr int kNoSystemError = -1;

    explicit EComPort(ComErrorCode code, int systemError = kNoSystemError);
    // Raises the error with the system's error number unless that is 0.
    static void check(SystemError error, ComErrorCode code);

    ComErrorCode code() const { return code_; }
    int winCode() const { return winCode_; }

private:
    ComErrorCode code_;
    int winCode_;
};

// ---- Settings -------------------------------------------------------------

enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TSyncMethod { smThreadSync, smWindowSync, smNone };
enum class TComEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum class TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
// The line a bound indicator follows.
enum class TComLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };

// A set of enumeration values (a Pascal-style set), one bit per value.
template <typename E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E item : items) insert(item);
    }

    constexpr bool contains(E item) const { return (bits_ & bit(item)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr EnumSet& insert(E item) {
        bits_ |= bit(item);
        return *this;
    }
    constexpr EnumSet& remove(E item) {
        bits_ &= ~bit(item);
        return *this;
    }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr uint32_t bit(E item) { return uint32_t{1} << static_cast<int>(item); }
    uint32_t bits_ = 0;
};

using TComEvents = EnumSet<TComEvent>;
using TComErrors = EnumSet<TComError>;

inline constexpr TComEvents kAllComEvents{
    TComEvent::evRxChar, TComEvent::evTxEmpty, TComEvent::evRxFlag, TComEvent::evRing,
    TComEvent::evBreak,  TComEvent::evCTS,     TComEvent::evDSR,    TComEvent::evError,
    TComEvent::evRLSD,   TComEvent::evRx80Full};

// The order in which the events of one batch are handled, whoever handles
// them (the UI thread batch by batch or event by event, or the event thread).
inline constexpr TComEvent kEventOrder[] = {
    TComEvent::evError, TComEvent::evRxChar,  TComEvent::evTxEmpty, TComEvent::evBreak,
    TComEvent::evRing,  TComEvent::evCTS,     TComEvent::evDSR,     TComEvent::evRxFlag,
    TComEvent::evRLSD,  TComEvent::evRx80Full};

struct TComParity {
    TParityBits Bits = TParityBits::prNone;
    bool Check = false;
    bool Replace = false;
    char ReplaceChar = 0;
    bool operator==(const TComParity&) const = default;
};

// With dtrDisable and rtsDisable the driver leaves DTR and RTS to the
// program's own switching.
struct TComFlowControl {
    bool OutCTSFlow = false;
    bool OutDSRFlow = false;
    TDTRFlowControl ControlDTR = TDTRFlowControl::dtrDisable;
    TRTSFlowControl ControlRTS = TRTSFlowControl::rtsDisable;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool DSRSensitivity = false;
    bool TxContinueOnXoff = false;
    char XonChar = 17;
    char XoffChar = 19;
    bool operator==(const TComFlowControl&) const = default;
};

struct TComBuffer {
    int InputSize = 1024;
    int OutputSize = 1024;
    bool operator==(const TComBuffer&) const = default;
};

// Milliseconds; -1 is handed to the driver as the all-ones value.
struct TComTimeouts {
    int32_t ReadInterval = -1;
    int32_t ReadTotalMultiplier = 0;
    int32_t ReadTotalConstant = 0;
    int32_t WriteTotalMultiplier = 100;
    int32_t WriteTotalConstant = 1000;
    bool operator==(const TComTimeouts&) const = default;
};

// The properties the device-control record is built from.
struct ComLineSettings {
    TBaudRate BaudRate = TBaudRate::br9600;
    uint32_t CustomBaudRate = 9600;
    TDataBits DataBits = TDataBits::dbEight;
    TStopBits StopBits = TStopBits::sbOneStopBit;
    TComParity Parity;
    TComFlowControl FlowControl;
    bool DiscardNull = false;
    char EventChar = 0;
    bool operator==(const ComLineSettings&) const = default;
};

// Bits per second of a rate (the custom rate for brCustom).
uint32_t baudRateValue(TBaudRate rate, uint32_t customRate);
DeviceControlBlock buildDeviceControlBlock(const ComLineSettings& line, const TComBuffer& buffer);
CommTimeouts toCommTimeouts(const TComTimeouts& timeouts);

// Event set <-> the system's event mask (all ten events give 0x05FF).
uint32_t eventsToMask(TComEvents events);
TComEvents maskToEvents(uint32_t mask);
// The system's line error bits -> error set.
TComErrors lineErrorsToSet(uint32_t errors);

// ---- Port list ------------------------------------------------------------

// Replaces the items of names by the serial ports the system lists, sorted
// ascending as text without regard to case (COM10 before COM2). On Linux these
// are the kernel's tty devices with hardware behind them (ttyS0, ttyUSB0 ...),
// opened as /dev/<name>. Raises error 23 with the system's error number when
// the list cannot be read; names is then left as it was.
void ListSerialPorts(std::vector<std::string>& names);

// ---- Port component -------------------------------------------------------

class TComPort;
class TComThread;
class HandOverReceiver;

// Something that shows a line of a port (the indicator lamp binds itself).
class ComLink {
public:
    // Called in the thread that dispatches the port's events.
    virtual void comSignal(TComLedSignal signal, bool on) = 0;
    // The port is being destroyed; the link must forget it.
    virtual void comPortDestroyed() = 0;

protected:
    ~ComLink() = default;
};

// A serial port with fixed line settings, three switchable output lines and
// an event thread while it is open. Used from the UI thread of a Qt
// application; all notifications run in that thread (see TSyncMethod).
//
// Line settings (BaudRate ... EventChar) changed while the port is open are
// applied at once; Buffer, Timeouts, Events and SyncMethod take effect at the
// next opening.
class TComPort {
public:
    using Notify = std::function<void(TComPort& sender)>;
    using LineNotify = std::function<void(TComPort& sender, bool on)>;
    using CountNotify = std::function<void(TComPort& sender, int count)>;
    using ErrorNotify = std::function<void(TComPort& sender, TComErrors errors)>;

    // Uses the program-wide driver (serialDriver()).
    TComPort();
    explicit TComPort(std::shared_ptr<SerialDriver> driver);
    // Closes the port (with its notifications); never throws.
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    const std::string& Port() const { return port_; }
    // A different name while open closes the port and opens it under the new name.
    void SetPort(const std::string& name);

    bool Connected() const { return line_ != nullptr; }
    void SetConnected(bool connected);

    void OpenPort();
    void ClosePort();

    // Output pins: break state (Pin 3), DTR (Pin 4), RTS (Pin 7). Error 12.
    void SwitchBreak(bool on);
    void SwitchDTR(bool on);
    void SwitchRTS(bool on);

    TBaudRate BaudRate() const { return line_settings_.BaudRate; }
    void SetBaudRate(TBaudRate rate);
    uint32_t CustomBaudRate() const { return line_settings_.CustomBaudRate; }
    void SetCustomBaudRate(uint32_t rate);
    TDataBits DataBits() const { return line_settings_.DataBits; }
    void SetDataBits(TDataBits bits);
    TStopBits StopBits() const { return line_settings_.StopBits; }
    void SetStopBits(TStopBits bits);
    const TComParity& Parity() const { return line_settings_.Parity; }
    void SetParity(const TComParity& parity);
    const TComFlowControl& FlowControl() const { return line_settings_.FlowControl; }
    void SetFlowControl(const TComFlowControl& flow);
    bool DiscardNull() const { return line_settings_.DiscardNull; }
    void SetDiscardNull(bool discard);
    char EventChar() const { return line_settings_.EventChar; }
    void SetEventChar(char c);

    const TComBuffer& Buffer() const { return buffer_; }
    void SetBuffer(const TComBuffer& buffer) { buffer_ = buffer; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    void SetTimeouts(const TComTimeouts& timeouts) { timeouts_ = timeouts; }
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents events) { events_ = events; }
    TSyncMethod SyncMethod() const { return sync_method_; }
    void SetSyncMethod(TSyncMethod method) { sync_method_ = method; }

    // The record the line settings give (handed to the line at every opening).
    DeviceControlBlock deviceControlBlock() const;
    // Whether an event thread exists (exactly while open with Events not empty).
    bool hasEventThread() const { return thread_ != nullptr; }
    // Whether the event thread waits for the UI thread to take a batch.
    bool handOverWaiting() const;

    // Indicators bound to this port.
    void addLink(ComLink* link);
    void removeLink(ComLink* link);

    Notify OnBeforeOpen;
    Notify OnAfterOpen;
    Notify OnBeforeClose;
    Notify OnAfterClose;

    CountNotify OnRxChar;
    Notify OnTxEmpty;
    Notify OnBreak;
    Notify OnRing;
    LineNotify OnCTSChange;
    LineNotify OnDSRChange;
    LineNotify OnRLSDChange;
    Notify OnRxFlag;
    ErrorNotify OnError;
    Notify OnRx80Full;

private:
    void applyLineSettings();
    void setupLine();
    void startEventThread();
    void releaseLine();
    void afterOpen();
    void beforeClose();
    void reportInputLine(TComLedSignal signal, uint32_t bit, const LineNotify& handler);
    void escape(EscapeCode code);
    void dispatch(TComEvents events, uint64_t session);
    void handleEvent(TComEvent event);
    void signalLinks(TComLedSignal signal, bool on);
    static void call(const Notify& handler, TComPort& sender);

    std::shared_ptr<SerialDriver> driver_;
    std::unique_ptr<HandOverReceiver> receiver_;  // lives in the UI thread
    std::string port_ = "COM1";
    ComLineSettings line_settings_;
    TComBuffer buffer_;
    TComTimeouts timeouts_;
    TComEvents events_ = kAllComEvents;
    TSyncMethod sync_method_ = TSyncMethod::smThreadSync;

    std::unique_ptr<SerialLine> line_;  // null while closed
    std::unique_ptr<TComThread> thread_;
    uint64_t session_ = 0;  // counts openings; a hand-over of an older one is void
    bool closing_ = false;  // the event thread is being stopped

    std::mutex links_mutex_;
    std::vector<ComLink*> links_;
};

// Switches an output pin by its index: 0 = Pin 3 by the break state, 1 = Pin 4
// by DTR, 2 = Pin 7 by RTS. Error 12 when the line refuses.
void switchOutputPin(TComPort& port, int pinIndex, bool on);

}  // namespace dravel::devices
