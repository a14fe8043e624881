#include "devices/serial/ComThread.h"
#include "devices/system/ThreadName.h"

#include <QCoreApplication>
#include <QEvent>

#include <condition_variable>
#include <exception>
#include <mutex>

namespace dravel::devices {

// The one batch that the event thread has handed to the UI thread. Shared,
// so a hand-over still being served outlives a thread freed by a handler that
// closed the port.
struct HandOver {
    enum class Slot { Empty, Pending, Serving };

    std::mutex mutex;
    std::condition_variable changed;
    Slot slot = Slot::Empty;
    TComEvents batch;
    bool failed = false;          // the last handled batch threw
    bool stop_requested = false;  // no new hand-overs
    bool released = false;        // stop() ran inside the handler: do not wait for it
    bool finished = false;        // the thread has left its loop
    TComThread::Handler handler;
    // The next wake-up for the receiver, made by the UI thread, so that the
    // event thread allocates nothing that the UI thread frees.
    std::unique_ptr<QEvent> wake_up = std::make_unique<QEvent>(QEvent::User);
};

namespace {

// UI thread: handles the pending batch, if any.
void serve(const std::shared_ptr<HandOver>& h) {
    std::unique_lock lock(h->mutex);
    if (h->slot != HandOver::Slot::Pending) return;
    h->slot = HandOver::Slot::Serving;
    const TComEvents batch = h->batch;
    lock.unlock();

    bool failed = false;
    try {
        h->handler(batch);
    } catch (...) {
        failed = true;
    }

    lock.lock();
    h->slot = HandOver::Slot::Empty;
    h->failed = failed;
    if (!h->wake_up) h->wake_up = std::make_unique<QEvent>(QEvent::User);
    h->changed.notify_all();
}

}  // namespace

void HandOverReceiver::customEvent(QEvent*) {
    if (current_) serve(current_);
}

TComThread::TComThread(SerialLine& line, std::unique_ptr<EventWatch> watch, TSyncMethod sync,
                       HandOverReceiver& receiver, Handler handler)
    : line_(line),
      watch_(std::move(watch)),
      sync_(sync),
      receiver_(receiver),
      hand_over_(std::make_shared<HandOver>()) {
    hand_over_->handler = std::move(handler);
    receiver_.attach(hand_over_);
    thread_ = std::thread([this] { run(); });
    nameThread(thread_, kThreadName);
}

TComThread::~TComThread() = default;

void TComThread::run() {
    for (;;) {
        uint32_t mask = 0;
        const EventWatch::Wake wake = watch_->wait(mask);
        if (wake == EventWatch::Wake::Nothing) continue;
        if (wake != EventWatch::Wake::Events || !deliver(maskToEvents(mask))) break;
    }
    finish();
}

bool TComThread::deliver(TComEvents events) {
    switch (sync_) {
        case TSyncMethod::smNone:
            try {
                hand_over_->handler(events);
                return true;
            } catch (...) {
                return false;
            }
        case TSyncMethod::smWindowSync:
            for (TComEvent event : kEventOrder) {
                if (events.contains(event) && !handOver(TComEvents{event})) return false;
            }
            return true;
        case TSyncMethod::smThreadSync:
            return handOver(events);
    }
    return false;
}

// Event thread: hands the batch to the UI thread and waits until it has been
// handled. False when the thread is to end.
bool TComThread::handOver(TComEvents events) {
    if (events.empty()) return true;
    const std::shared_ptr<HandOver>& h = hand_over_;
    QEvent* wakeUp = nullptr;
    {
        std::lock_guard lock(h->mutex);
        if (h->stop_requested) return false;
        h->batch = events;
        h->slot = HandOver::Slot::Pending;
        h->failed = false;
        wakeUp = h->wake_up.release();
        h->changed.notify_all();  // a closing UI thread serves it at once
    }
    if (wakeUp) QCoreApplication::postEvent(&receiver_, wakeUp);

    std::unique_lock lock(h->mutex);
    h->changed.wait(lock, [&] { return h->slot == HandOver::Slot::Empty || h->released; });
    return !h->failed && !h->released;
}

void TComThread::finish() {
    line_.setEventMask(0);
    line_.purge(kPurgeTxClear | kPurgeRxClear);
    std::lock_guard lock(hand_over_->mutex);
    hand_over_->finished = true;
    hand_over_->changed.notify_all();
}

bool TComThread::handOverWaiting() const {
    std::lock_guard lock(hand_over_->mutex);
    return hand_over_->slot == HandOver::Slot::Pending;
}

void TComThread::stop() {
    const std::shared_ptr<HandOver> h = hand_over_;
    {
        std::lock_guard lock(h->mutex);
        h->stop_requested = true;
        if (h->slot == HandOver::Slot::Serving) {
            // Called from a handler of the batch being served: the thread
            // would wait for this very call to return.
            h->released = true;
            h->changed.notify_all();
        }
    }
    watch_->stop();
    std::this_thread::yield();

    std::unique_lock lock(h->mutex);
    while (!h->finished) {
        if (h->slot == HandOver::Slot::Pending) {
            lock.unlock();
            serve(h);
            lock.lock();
            continue;
        }
        h->changed.wait(lock, [&] { return h->finished || h->slot == HandOver::Slot::Pending; });
    }
    lock.unlock();
    thread_.join();
}

}  // namespace dravel::devices
