#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

#include "devices/serial/ComPort.h"

namespace dravel::devices {

struct HandOver;

// Lives in the UI thread and serves the hand-overs of the port's event
// thread there. The event thread only posts a bare wake-up event to it; the
// batch itself is passed under the hand-over's own lock, so no data crosses
// threads through Qt.
class HandOverReceiver : public QObject {
public:
    void attach(std::shared_ptr<HandOver> handOver) { current_ = std::move(handOver); }

protected:
    void customEvent(QEvent* event) override;

private:
    std::shared_ptr<HandOver> current_;
};

// The event thread of an open port. It waits for line events and hands each
// batch to the handler: in the UI thread (the receiver's thread)
// for smThreadSync and smWindowSync, waiting until it has been handled; in
// itself for smNone. A handler that throws ends the thread; the port stays
// open.
class TComThread {
public:
    // The name the event thread carries, so it can be told from other threads.
    static constexpr const char* kThreadName = "ComThread";

    using Handler = std::function<void(TComEvents)>;

    // Takes over the watch; the line must outlive the thread.
    TComThread(SerialLine& line, std::unique_ptr<EventWatch> watch, TSyncMethod sync,
               HandOverReceiver& receiver, Handler handler);
    // stop() must have run.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // UI thread: ends the thread and waits for it, serving every hand-over
    // that is already waiting, so closing can never lock against one. Also
    // safe from inside a handler of this thread's hand-over.
    void stop();

    // Whether a batch waits for the UI thread to take it.
    bool handOverWaiting() const;

private:
    void run();
    bool deliver(TComEvents events);
    bool handOver(TComEvents events);
    void finish();

    SerialLine& line_;
    std::unique_ptr<EventWatch> watch_;
    TSyncMethod sync_;
    HandOverReceiver& receiver_;
    std::shared_ptr<HandOver> hand_over_;
    std::thread thread_;
};

}  // namespace dravel::devices
