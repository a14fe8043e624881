#include "devices/serial/ComPort.h"

#include <QString>
#include <algorithm>
#include <system_error>

#include "devices/serial/ComThread.h"

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

void check(SystemError error, ComErrorCode code) {
    if (error != 0) throw EComPort(code, error);
}

}  // namespace

EComPort::EComPort(ComErrorCode code, int systemError)
    : std::runtime_error(comErrorMessage(code, systemError)), code_(code), winCode_(systemError) {}

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

// ---- Port list ------------------------------------------------------------

void ListSerialPorts(std::vector<std::string>& names) {
    std::vector<std::string> found;
    check(serialDriver()->listPorts(found), ComErrorCode::RegistryError);
    std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                                Qt::CaseInsensitive) < 0;
    });
    names = std::move(found);
}

// ---- Program-wide driver ----------------------------------------------------

namespace {

std::mutex& driverMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<SerialDriver>& currentDriver() {
    static std::shared_ptr<SerialDriver> driver = createPlatformSerialDriver();
    return driver;
}

}  // namespace

std::shared_ptr<SerialDriver> serialDriver() {
    std::lock_guard lock(driverMutex());
    return currentDriver();
}

std::shared_ptr<SerialDriver> replaceSerialDriver(std::shared_ptr<SerialDriver> driver) {
    std::lock_guard lock(driverMutex());
    if (!driver) driver = createPlatformSerialDriver();
    std::swap(currentDriver(), driver);
    return driver;
}

// ---- Port component -------------------------------------------------------

TComPort::TComPort() : TComPort(serialDriver()) {}

TComPort::TComPort(std::shared_ptr<SerialDriver> driver)
    : driver_(std::move(driver)), receiver_(std::make_unique<HandOverReceiver>()) {}

TComPort::~TComPort() {
    try {
        ClosePort();
    } catch (...) {
        // A destructor that throws ends the program: give the handle and the
        // thread back without the failed step.
        try {
            releaseLine();
        } catch (...) {
        }
    }
    std::lock_guard lock(links_mutex_);
    for (ComLink* link : links_) link->comPortDestroyed();
}

void TComPort::call(const Notify& handler, TComPort& sender) {
    if (handler) handler(sender);
}

void TComPort::SetPort(const std::string& name) {
    if (name == port_) return;
    port_ = name;
    if (Connected()) {
        ClosePort();
        OpenPort();
    }
}

void TComPort::SetConnected(bool connected) {
    if (connected) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void TComPort::OpenPort() {
    if (Connected()) return;
    call(OnBeforeOpen, *this);
    if (Connected()) return;  // the handler opened it

    SystemError error = 0;
    std::unique_ptr<SerialLine> line = driver_->open(port_, error);
    if (!line) throw EComPort(ComErrorCode::OpenFailed, error);
    line_ = std::move(line);
    ++session_;
    try {
        setupLine();
        if (!events_.empty()) startEventThread();
    } catch (...) {
        line_.reset();
        throw;
    }
    afterOpen();
}

void TComPort::setupLine() {
    check(line_->setupQueues(static_cast<uint32_t>(buffer_.InputSize),
                             static_cast<uint32_t>(buffer_.OutputSize)),
          ComErrorCode::SetupFailed);
    check(line_->setState(deviceControlBlock()), ComErrorCode::SetStateFailed);
    check(line_->setTimeouts(toCommTimeouts(timeouts_)), ComErrorCode::TimeoutsFailed);
}

void TComPort::startEventThread() {
    SystemError error = 0;
    std::unique_ptr<EventWatch> watch = line_->createEventWatch(error);
    if (!watch) throw std::system_error(error, std::system_category(), "event watch");
    line_->setEventMask(eventsToMask(events_));
    const uint64_t session = session_;
    thread_ = std::make_unique<TComThread>(
        *line_, std::move(watch), sync_method_, *receiver_,
        [this, session](TComEvents events) { dispatch(events, session); });
}

void TComPort::afterOpen() {
    signalLinks(TComLedSignal::lsConn, true);
    call(OnAfterOpen, *this);
    reportInputLine(TComLedSignal::lsCTS, kModemCts, OnCTSChange);
    reportInputLine(TComLedSignal::lsDSR, kModemDsr, OnDSRChange);
    reportInputLine(TComLedSignal::lsRLSD, kModemRlsd, OnRLSDChange);
}

// Reads the input lines and reports one of them.
void TComPort::reportInputLine(TComLedSignal signal, uint32_t bit, const LineNotify& handler) {
    if (!line_) return;  // a handler closed the port
    uint32_t lines = 0;
    check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
    signalLinks(signal, lines & bit);
    if (handler) handler(*this, lines & bit);
}

void TComPort::ClosePort() {
    // A handler that runs while closing serves a waiting hand-over must not
    // start a second close.
    if (!Connected() || closing_) return;
    const uint64_t session = session_;
    beforeClose();
    if (session != session_ || !Connected()) return;  // a handler closed it

    check(line_->purge(kPurgeTxAbort | kPurgeRxAbort), ComErrorCode::PurgeFailed);
    closing_ = true;
    releaseLine();
    closing_ = false;
    signalLinks(TComLedSignal::lsConn, false);
    call(OnAfterClose, *this);
}

void TComPort::beforeClose() {
    signalLinks(TComLedSignal::lsCTS, false);
    signalLinks(TComLedSignal::lsDSR, false);
    signalLinks(TComLedSignal::lsRLSD, false);
    if (OnCTSChange) OnCTSChange(*this, false);
    if (OnDSRChange) OnDSRChange(*this, false);
    if (OnRLSDChange) OnRLSDChange(*this, false);
    call(OnBeforeClose, *this);
}

void TComPort::releaseLine() {
    if (thread_) {
        thread_->stop();
        thread_.reset();
    }
    line_.reset();
}

void TComPort::escape(EscapeCode code) {
    const SystemError error = line_ ? line_->escape(code) : driver_->invalidHandleError();
    check(error, ComErrorCode::EscapeFailed);
}

void TComPort::SwitchBreak(bool on) {
    escape(on ? EscapeCode::SetBreak : EscapeCode::ClearBreak);
}
void TComPort::SwitchDTR(bool on) {
    escape(on ? EscapeCode::SetDtr : EscapeCode::ClearDtr);
}
void TComPort::SwitchRTS(bool on) {
    escape(on ? EscapeCode::SetRts : EscapeCode::ClearRts);
}

bool TComPort::handOverWaiting() const {
    return thread_ && thread_->handOverWaiting();
}

DeviceControlBlock TComPort::deviceControlBlock() const {
    return buildDeviceControlBlock(line_settings_, buffer_);
}

void TComPort::applyLineSettings() {
    if (line_) check(line_->setState(deviceControlBlock()), ComErrorCode::SetStateFailed);
}

namespace {

// Stores a line setting; true when it changed.
template <typename T>
bool assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

void TComPort::SetBaudRate(TBaudRate rate) {
    if (assign(line_settings_.BaudRate, rate)) applyLineSettings();
}
void TComPort::SetCustomBaudRate(uint32_t rate) {
    if (assign(line_settings_.CustomBaudRate, rate) && BaudRate() == TBaudRate::brCustom) {
        applyLineSettings();
    }
}
void TComPort::SetDataBits(TDataBits bits) {
    if (assign(line_settings_.DataBits, bits)) applyLineSettings();
}
void TComPort::SetStopBits(TStopBits bits) {
    if (assign(line_settings_.StopBits, bits)) applyLineSettings();
}
void TComPort::SetParity(const TComParity& parity) {
    if (assign(line_settings_.Parity, parity)) applyLineSettings();
}
void TComPort::SetFlowControl(const TComFlowControl& flow) {
    if (assign(line_settings_.FlowControl, flow)) applyLineSettings();
}
void TComPort::SetDiscardNull(bool discard) {
    if (assign(line_settings_.DiscardNull, discard)) applyLineSettings();
}
void TComPort::SetEventChar(char c) {
    if (assign(line_settings_.EventChar, c)) applyLineSettings();
}

// ---- Events ---------------------------------------------------------------

// Handles one batch of the event thread (UI thread, or the event thread with
// smNone). Stops when a handler has closed or reopened the port.
void TComPort::dispatch(TComEvents events, uint64_t session) {
    static constexpr TComEvent kOrder[] = {
        TComEvent::evError, TComEvent::evRxChar,  TComEvent::evTxEmpty, TComEvent::evBreak,
        TComEvent::evRing,  TComEvent::evCTS,     TComEvent::evDSR,     TComEvent::evRxFlag,
        TComEvent::evRLSD,  TComEvent::evRx80Full};
    for (TComEvent event : kOrder) {
        if (!events.contains(event)) continue;
        if (session != session_ || !line_) return;
        handleEvent(event);
    }
}

void TComPort::handleEvent(TComEvent event) {
    uint32_t errors = 0;
    uint32_t count = 0;
    uint32_t lines = 0;
    switch (event) {
        case TComEvent::evError:
            check(line_->clearError(errors, count), ComErrorCode::ClearErrorFailed);
            if (errors != 0 && OnError) OnError(*this, lineErrorsToSet(errors));
            break;
        case TComEvent::evRxChar:
            check(line_->clearError(errors, count), ComErrorCode::ClearErrorFailed);
            if (count > 0) {
                signalLinks(TComLedSignal::lsRx, true);
                if (OnRxChar) OnRxChar(*this, static_cast<int>(count));
            }
            break;
        case TComEvent::evTxEmpty:
            signalLinks(TComLedSignal::lsTx, false);
            call(OnTxEmpty, *this);
            break;
        case TComEvent::evBreak:
            call(OnBreak, *this);
            break;
        case TComEvent::evRing:
            check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
            signalLinks(TComLedSignal::lsRing, lines & kModemRing);
            call(OnRing, *this);
            break;
        case TComEvent::evCTS:
            check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
            signalLinks(TComLedSignal::lsCTS, lines & kModemCts);
            if (OnCTSChange) OnCTSChange(*this, lines & kModemCts);
            break;
        case TComEvent::evDSR:
            check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
            signalLinks(TComLedSignal::lsDSR, lines & kModemDsr);
            if (OnDSRChange) OnDSRChange(*this, lines & kModemDsr);
            break;
        case TComEvent::evRxFlag:
            call(OnRxFlag, *this);
            break;
        case TComEvent::evRLSD:
            check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
            signalLinks(TComLedSignal::lsRLSD, lines & kModemRlsd);
            if (OnRLSDChange) OnRLSDChange(*this, lines & kModemRlsd);
            break;
        case TComEvent::evRx80Full:
            call(OnRx80Full, *this);
            break;
    }
}

// ---- Bound indicators -------------------------------------------------------

void TComPort::addLink(ComLink* link) {
    std::lock_guard lock(links_mutex_);
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TComPort::removeLink(ComLink* link) {
    std::lock_guard lock(links_mutex_);
    std::erase(links_, link);
}

void TComPort::signalLinks(TComLedSignal signal, bool on) {
    std::lock_guard lock(links_mutex_);
    for (ComLink* link : links_) link->comSignal(signal, on);
}

}  // namespace dravel::devices
