#pragma once

// A serial driver without hardware: it records every call in order, answers
// with line states the test sets, fails the calls the test names, and lets
// the test fire line events into the open line's event watch.

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/serial/SerialDriver.h"

namespace dravel::devices::testing {

class SimulatedSerialDriver : public SerialDriver,
                              public std::enable_shared_from_this<SimulatedSerialDriver> {
    // Runs f under the driver's lock (defined first: its return type is deduced).
    template <typename F>
    auto locked(F&& f) const {
        std::lock_guard lock(mutex_);
        return f();
    }

public:
    // ---- set by the test ----
    void failCall(const std::string& call, SystemError error) {
        locked([&] { failures_[call] = error; });
    }
    void setPorts(std::vector<std::string> ports) {
        locked([&] { ports_ = std::move(ports); });
    }
    void setModemLines(uint32_t lines) {
        locked([&] { modem_lines_ = lines; });
    }
    void setLineErrors(uint32_t errors, uint32_t inputCount) {
        std::lock_guard lock(mutex_);
        line_errors_ = errors;
        input_count_ = inputCount;
    }
    // Hands an event mask to the open line's watch; false when no watch exists.
    bool fire(uint32_t mask) {
        std::lock_guard lock(mutex_);
        if (!watch_open_) return false;
        fired_.push_back(mask);
        changed_.notify_all();
        return true;
    }
    // Makes the watch's next wait fail.
    void failNextWait() {
        std::lock_guard lock(mutex_);
        fail_wait_ = true;
        changed_.notify_all();
    }
    // Puts a marker of the test (a notification, a handler) into the call record.
    void note(const std::string& marker) {
        locked([&] { calls_.push_back(marker); });
    }

    // ---- read by the test ----
    std::vector<std::string> calls() const {
        return locked([&] { return calls_; });
    }
    void clearCalls() {
        locked([&] { calls_.clear(); });
    }
    int openLines() const {
        return locked([&] { return open_lines_; });
    }
    bool watchOpen() const {
        return locked([&] { return watch_open_; });
    }
    // Events fired but not yet taken by the watch.
    size_t eventsWaiting() const {
        return locked([&] { return fired_.size(); });
    }
    DeviceControlBlock lastState() const {
        return locked([&] { return last_state_; });
    }
    CommTimeouts lastTimeouts() const {
        return locked([&] { return last_timeouts_; });
    }

    // ---- SerialDriver ----
    SystemError listPorts(std::vector<std::string>& names) override {
        std::lock_guard lock(mutex_);
        names.insert(names.end(), ports_.begin(), ports_.end());
        return 0;
    }

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override;

    SystemError invalidHandleError() override { return 6; }

private:
    friend class SimulatedLine;
    friend class SimulatedWatch;

    // Logs a call; it fails when failCall named it whole or by its first word.
    SystemError record(const std::string& call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
        for (const std::string& key : {call, call.substr(0, call.find(' '))}) {
            if (auto it = failures_.find(key); it != failures_.end()) return it->second;
        }
        return 0;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> calls_;
    std::map<std::string, SystemError> failures_;
    std::vector<std::string> ports_;
    uint32_t modem_lines_ = 0;
    uint32_t line_errors_ = 0;
    uint32_t input_count_ = 0;
    int open_lines_ = 0;
    bool watch_open_ = false;
    bool stop_ = false;
    bool fail_wait_ = false;
    std::deque<uint32_t> fired_;
    DeviceControlBlock last_state_;
    CommTimeouts last_timeouts_;
};

class SimulatedWatch : public EventWatch {
public:
    explicit SimulatedWatch(std::shared_ptr<SimulatedSerialDriver> sim) : sim_(std::move(sim)) {
        std::lock_guard lock(sim_->mutex_);
        sim_->watch_open_ = true;
        sim_->stop_ = false;
        sim_->fired_.clear();
    }
    ~SimulatedWatch() override {
        std::lock_guard lock(sim_->mutex_);
        sim_->watch_open_ = false;
        sim_->calls_.push_back("closeWatch");
    }

    Wake wait(uint32_t& mask) override {
        std::unique_lock lock(sim_->mutex_);
        sim_->changed_.wait(
            lock, [&] { return sim_->stop_ || sim_->fail_wait_ || !sim_->fired_.empty(); });
        if (sim_->stop_) return Wake::Stopped;
        if (sim_->fail_wait_) {
            sim_->fail_wait_ = false;
            return Wake::Failed;
        }
        mask = sim_->fired_.front();
        sim_->fired_.pop_front();
        return Wake::Events;
    }

    void stop() override {
        std::lock_guard lock(sim_->mutex_);
        sim_->calls_.push_back("stopWatch");
        sim_->stop_ = true;
        sim_->changed_.notify_all();
    }

private:
    std::shared_ptr<SimulatedSerialDriver> sim_;
};

class SimulatedLine : public SerialLine {
public:
    explicit SimulatedLine(std::shared_ptr<SimulatedSerialDriver> sim) : sim_(std::move(sim)) {
        std::lock_guard lock(sim_->mutex_);
        ++sim_->open_lines_;
    }
    ~SimulatedLine() override {
        std::lock_guard lock(sim_->mutex_);
        --sim_->open_lines_;
        sim_->calls_.push_back("close");
    }

    SystemError setupQueues(uint32_t in, uint32_t out) override {
        return sim_->record("setupQueues " + std::to_string(in) + " " + std::to_string(out));
    }
    SystemError setState(const DeviceControlBlock& dcb) override {
        sim_->locked([&] { sim_->last_state_ = dcb; });
        return sim_->record("setState");
    }
    SystemError setTimeouts(const CommTimeouts& t) override {
        sim_->locked([&] { sim_->last_timeouts_ = t; });
        return sim_->record("setTimeouts");
    }
    SystemError escape(EscapeCode code) override {
        return sim_->record("escape " + std::to_string(static_cast<int>(code)));
    }
    SystemError modemStatus(uint32_t& lines) override {
        lines = sim_->locked([&] { return sim_->modem_lines_; });
        return sim_->record("modemStatus");
    }
    SystemError clearError(uint32_t& errors, uint32_t& inputCount) override {
        std::tie(errors, inputCount) =
            sim_->locked([&] { return std::pair(sim_->line_errors_, sim_->input_count_); });
        return sim_->record("clearError");
    }
    SystemError purge(uint32_t flags) override {
        return sim_->record("purge " + std::to_string(flags));
    }
    SystemError setEventMask(uint32_t mask) override {
        char text[32];
        std::snprintf(text, sizeof text, "setEventMask 0x%04X", mask);
        return sim_->record(text);
    }
    std::unique_ptr<EventWatch> createEventWatch(SystemError& error) override {
        error = sim_->record("createEventWatch");
        if (error != 0) return nullptr;
        return std::make_unique<SimulatedWatch>(sim_);
    }

private:
    std::shared_ptr<SimulatedSerialDriver> sim_;
};

inline std::unique_ptr<SerialLine> SimulatedSerialDriver::open(const std::string& name,
                                                               SystemError& error) {
    error = record("open " + name);
    if (error != 0) return nullptr;
    return std::make_unique<SimulatedLine>(shared_from_this());
}

}  // namespace dravel::devices::testing
