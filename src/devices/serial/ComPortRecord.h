#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "devices/serial/SerialDriver.h"

// The port's error numbers and messages, and the settings record that its
// line settings give, with the masks that translate events and errors.
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

}  // namespace dravel::devices
