#include "devices/serial/ComPort.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

#include "devices/serial/ComThread.h"
#include "devices/serial/SerialPorts.h"

namespace dravel::devices {

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
    EComPort::check(line_->setupQueues(static_cast<uint32_t>(buffer_.InputSize),
                                       static_cast<uint32_t>(buffer_.OutputSize)),
                    ComErrorCode::SetupFailed);
    EComPort::check(line_->setState(deviceControlBlock()), ComErrorCode::SetStateFailed);
    EComPort::check(line_->setTimeouts(toCommTimeouts(timeouts_)), ComErrorCode::TimeoutsFailed);
}

// The watch and the thread belong to opening the port: when either cannot
// be made, the port cannot be opened, and says so as every other step does.
void TComPort::startEventThread() {
    SystemError error = 0;
    std::unique_ptr<EventWatch> watch = line_->createEventWatch(error);
    if (!watch) throw EComPort(ComErrorCode::OpenFailed, error);
    line_->setEventMask(eventsToMask(events_));
    const uint64_t session = session_;
    try {
        thread_ = std::make_unique<TComThread>(
            *line_, std::move(watch), sync_method_, *receiver_,
            [this, session](TComEvents events) { dispatch(events, session); });
    } catch (const std::system_error& e) {
        throw EComPort(ComErrorCode::OpenFailed, e.code().value());
    }
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
    EComPort::check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
    signalLinks(signal, lines & bit);
    if (handler) handler(*this, lines & bit);
}

bool TComPort::LineResponds() const {
    uint32_t lines = 0;
    return line_ && line_->modemStatus(lines) == 0;
}

void TComPort::ClosePort() {
    // A handler that runs while closing serves a waiting hand-over must not
    // start a second close.
    if (!Connected() || closing_) return;
    const uint64_t session = session_;
    beforeClose();
    if (session != session_ || !Connected()) return;  // a handler closed it

    EComPort::check(line_->purge(kPurgeTxAbort | kPurgeRxAbort), ComErrorCode::PurgeFailed);
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
    EComPort::check(error, ComErrorCode::EscapeFailed);
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

void switchOutputPin(TComPort& port, int pinIndex, bool on) {
    static constexpr void (TComPort::*kSwitches[])(bool) = {
        &TComPort::SwitchBreak, &TComPort::SwitchDTR, &TComPort::SwitchRTS};
    if (pinIndex < 0 || pinIndex >= static_cast<int>(std::size(kSwitches)))
        throw std::out_of_range("no output pin " + std::to_string(pinIndex));
    (port.*kSwitches[pinIndex])(on);
}

bool TComPort::handOverWaiting() const {
    return thread_ && thread_->handOverWaiting();
}

DeviceControlBlock TComPort::deviceControlBlock() const {
    return buildDeviceControlBlock(line_settings_, buffer_);
}

void TComPort::applyLineSettings() {
    if (line_) EComPort::check(line_->setState(deviceControlBlock()), ComErrorCode::SetStateFailed);
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
    for (TComEvent event : kEventOrder) {
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
            EComPort::check(line_->clearError(errors, count), ComErrorCode::ClearErrorFailed);
            if (errors != 0 && OnError) OnError(*this, lineErrorsToSet(errors));
            break;
        case TComEvent::evRxChar:
            EComPort::check(line_->clearError(errors, count), ComErrorCode::ClearErrorFailed);
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
            EComPort::check(line_->modemStatus(lines), ComErrorCode::ModemStatusFailed);
            signalLinks(TComLedSignal::lsRing, lines & kModemRing);
            call(OnRing, *this);
            break;
        case TComEvent::evCTS:
            reportInputLine(TComLedSignal::lsCTS, kModemCts, OnCTSChange);
            break;
        case TComEvent::evDSR:
            reportInputLine(TComLedSignal::lsDSR, kModemDsr, OnDSRChange);
            break;
        case TComEvent::evRxFlag:
            call(OnRxFlag, *this);
            break;
        case TComEvent::evRLSD:
            reportInputLine(TComLedSignal::lsRLSD, kModemRlsd, OnRLSDChange);
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
