#include "devices/serial/ComPortRecord.h"

#include <algorithm>

namespace dravel::devices {

// ---- Errors ---------------------------------------------------------------

std::string comErrorText(ComErrorCode code) {
    switch (code) {
        case ComErrorCode::OpenFailed:
            return "ComPort lässt sich nicht öffnen";
        case ComErrorCode::PurgeFailed:
            return "PurgeComm function failed";
        case ComErrorCode::SetStateFailed:
            return "SetCommState function failed";
        case ComErrorCode::TimeoutsFailed:
            return "SetCommTimeouts failed";
        case ComErrorCode::SetupFailed:
            return "SetupComm function failed";
        case ComErrorCode::ClearErrorFailed:
            return "ClearCommError function failed";
        case ComErrorCode::ModemStatusFailed:
            return "GetCommModemStatus function failed";
        case ComErrorCode::EscapeFailed:
            return "EscapeCommFunction function failed";
        case ComErrorCode::LedStateLocked:
            return "Cannot change led state if ComPort is selected";
        case ComErrorCode::RegistryError:
            return "Registry error";
    }
    return {};
}

namespace {

std::string comErrorMessage(ComErrorCode code, int systemError) {
    std::string message = comErrorText(code);
    if (systemError != EComPort::kNoSystemError) {
        message += " (win error code: " + std::to_string(systemError) + ")";
    }
    return message;
}

}  // namespace

EComPort::EComPort(ComErrorCode code, int systemError)
    : std::runtime_error(comErrorMessage(code, systemError)), code_(code), winCode_(systemError) {}

void EComPort::check(SystemError error, ComErrorCode code) {
    if (error != 0) throw EComPort(code, error);
}

// ---- Settings -------------------------------------------------------------

uint32_t baudRateValue(TBaudRate rate, uint32_t customRate) {
    static constexpr uint32_t kRates[] = {0,     110,    300,    600,   1200,  2400,
                                          4800,  9600,   14400,  19200, 38400, 56000,
                                          57600, 115200, 128000, 256000};
    return rate == TBaudRate::brCustom ? customRate : kRates[static_cast<int>(rate)];
}

DeviceControlBlock buildDeviceControlBlock(const ComLineSettings& line, const TComBuffer& buffer) {
    const TComParity& parity = line.Parity;
    const TComFlowControl& flow = line.FlowControl;
    const bool replace = parity.Check && parity.Replace;

    DeviceControlBlock dcb;
    dcb.baudRate = baudRateValue(line.BaudRate, line.CustomBaudRate);
    dcb.flags = kDcbBinary;
    if (parity.Check) dcb.flags |= kDcbParityCheck;
    if (flow.OutCTSFlow) dcb.flags |= kDcbOutCtsFlow;
    if (flow.OutDSRFlow) dcb.flags |= kDcbOutDsrFlow;
    dcb.flags |= static_cast<uint32_t>(flow.ControlDTR) << 4;
    if (flow.DSRSensitivity) dcb.flags |= kDcbDsrSensitivity;
    if (flow.TxContinueOnXoff) dcb.flags |= kDcbTxContinueOnXoff;
    if (flow.XonXoffOut) dcb.flags |= kDcbXonXoffOut;
    if (flow.XonXoffIn) dcb.flags |= kDcbXonXoffIn;
    if (replace) dcb.flags |= kDcbReplaceErrors;
    if (line.DiscardNull) dcb.flags |= kDcbDiscardNull;
    dcb.flags |= static_cast<uint32_t>(flow.ControlRTS) << 12;

    const uint16_t limit = static_cast<uint16_t>(std::clamp(buffer.InputSize / 4, 0, 0xFFFF));
    dcb.xonLimit = limit;
    dcb.xoffLimit = limit;
    dcb.byteSize = static_cast<uint8_t>(5 + static_cast<int>(line.DataBits));
    dcb.parity = static_cast<uint8_t>(parity.Bits);
    dcb.stopBits = static_cast<uint8_t>(line.StopBits);
    dcb.xonChar = flow.XonChar;
    dcb.xoffChar = flow.XoffChar;
    dcb.errorChar = replace ? parity.ReplaceChar : 0;
    dcb.eventChar = line.EventChar;
    return dcb;
}

CommTimeouts toCommTimeouts(const TComTimeouts& t) {
    return {static_cast<uint32_t>(t.ReadInterval), static_cast<uint32_t>(t.ReadTotalMultiplier),
            static_cast<uint32_t>(t.ReadTotalConstant),
            static_cast<uint32_t>(t.WriteTotalMultiplier),
            static_cast<uint32_t>(t.WriteTotalConstant)};
}

namespace {

struct EventBit {
    TComEvent event;
    uint32_t bit;
};
constexpr EventBit kEventBits[] = {
    {TComEvent::evRxChar, kEvRxChar},   {TComEvent::evRxFlag, kEvRxFlag},
    {TComEvent::evTxEmpty, kEvTxEmpty}, {TComEvent::evCTS, kEvCts},
    {TComEvent::evDSR, kEvDsr},         {TComEvent::evRLSD, kEvRlsd},
    {TComEvent::evBreak, kEvBreak},     {TComEvent::evError, kEvError},
    {TComEvent::evRing, kEvRing},       {TComEvent::evRx80Full, kEvRx80Full}};

struct ErrorBit {
    TComError error;
    uint32_t bit;
};
constexpr ErrorBit kErrorBits[] = {
    {TComError::ceFrame, kLineFrame},     {TComError::ceRxParity, kLineRxParity},
    {TComError::ceOverrun, kLineOverrun}, {TComError::ceBreak, kLineBreak},
    {TComError::ceIO, kLineIo},           {TComError::ceMode, kLineMode},
    {TComError::ceRxOver, kLineRxOver},   {TComError::ceTxFull, kLineTxFull}};

}  // namespace

uint32_t eventsToMask(TComEvents events) {
    uint32_t mask = 0;
    for (const EventBit& e : kEventBits) {
        if (events.contains(e.event)) mask |= e.bit;
    }
    return mask;
}

TComEvents maskToEvents(uint32_t mask) {
    TComEvents events;
    for (const EventBit& e : kEventBits) {
        if (mask & e.bit) events.insert(e.event);
    }
    return events;
}

TComErrors lineErrorsToSet(uint32_t errors) {
    TComErrors set;
    for (const ErrorBit& e : kErrorBits) {
        if (errors & e.bit) set.insert(e.error);
    }
    return set;
}

}  // namespace dravel::devices
