#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/serial/ComPortRecord.h"
#include "devices/serial/SerialDriver.h"

namespace dravel::devices {

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
    // Whether the open line still answers: an adapter pulled out does not. False when closed.
    bool LineResponds() const;
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
