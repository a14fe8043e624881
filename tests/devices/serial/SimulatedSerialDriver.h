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
#include <set>
#include <string>
#include <vector>

#include "devices/serial/SerialDriver.h"

namespace dravel::devices::testing {

class SimulatedSerialDriver : public SerialDriver,
                              public std::enable_shared_from_this<SimulatedSerialDriver> {
public:
    // ---- set by the test ----
    void failCall(const std::string& call, SystemError error) {
        std::lock_guard lock(mutex_);
        failures_[call] = error;
    }
    void holdByOtherProgram(const std::string& name) {
        std::lock_guard lock(mutex_);
        held_.insert(name);
    }
    void setPorts(std::vector<std::string> ports, SystemError error = 0) {
        std::lock_guard lock(mutex_);
        ports_ = std::move(ports);
        list_error_ = error;
    }
    void setModemLines(uint32_t lines) {
        std::lock_guard lock(mutex_);
        modem_lines_ = lines;
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
        std::lock_guard lock(mutex_);
        calls_.push_back(marker);
    }

    // ---- read by the test ----
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    int openLines() const {
        std::lock_guard lock(mutex_);
        return open_lines_;
    }
    bool watchOpen() const {
        std::lock_guard lock(mutex_);
        return watch_open_;
    }
    // Events fired but not yet taken by the watch.
    size_t eventsWaiting() const {
        std::lock_guard lock(mutex_);
        return fired_.size();
    }
    DeviceControlBlock lastState() const {
        std::lock_guard lock(mutex_);
        return last_state_;
    }
    CommTimeouts lastTimeouts() const {
        std::lock_guard lock(mutex_);
        return last_timeouts_;
    }

    // ---- SerialDriver ----
    SystemError listPorts(std::vector<std::string>& names) override {
        std::lock_guard lock(mutex_);
        if (list_error_ == 0) names.insert(names.end(), ports_.begin(), ports_.end());
        return list_error_;
    }

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override;

    SystemError invalidHandleError() override { return 6; }

private:
    friend class SimulatedLine;
    friend class SimulatedWatch;

    SystemError record(const std::string& call, const std::string& key) {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
        auto it = failures_.find(key);
        return it == failures_.end() ? 0 : it->second;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> calls_;
    std::map<std::string, SystemError> failures_;
    std::set<std::string> held_;
    std::vector<std::string> ports_;
    SystemError list_error_ = 0;
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
        return sim_->record("setupQueues " + std::to_string(in) + " " + std::to_string(out),
                            "setupQueues");
    }
    SystemError setState(const DeviceControlBlock& dcb) override {
        {
            std::lock_guard lock(sim_->mutex_);
            sim_->last_state_ = dcb;
        }
        return sim_->record("setState", "setState");
    }
    SystemError setTimeouts(const CommTimeouts& t) override {
        {
            std::lock_guard lock(sim_->mutex_);
            sim_->last_timeouts_ = t;
        }
        return sim_->record("setTimeouts", "setTimeouts");
    }
    SystemError escape(EscapeCode code) override {
        return sim_->record("escape " + std::to_string(static_cast<int>(code)), "escape");
    }
    SystemError modemStatus(uint32_t& lines) override {
        const SystemError error = sim_->record("modemStatus", "modemStatus");
        std::lock_guard lock(sim_->mutex_);
        lines = sim_->modem_lines_;
        return error;
    }
    SystemError clearError(uint32_t& errors, uint32_t& inputCount) override {
        const SystemError error = sim_->record("clearError", "clearError");
        std::lock_guard lock(sim_->mutex_);
        errors = sim_->line_errors_;
        inputCount = sim_->input_count_;
        return error;
    }
    SystemError purge(uint32_t flags) override {
        return sim_->record("purge " + std::to_string(flags), "purge " + std::to_string(flags));
    }
    SystemError setEventMask(uint32_t mask) override {
        char text[32];
        std::snprintf(text, sizeof text, "setEventMask 0x%04X", mask);
        return sim_->record(text, "setEventMask");
    }
    std::unique_ptr<EventWatch> createEventWatch(SystemError& error) override {
        error = sim_->record("createEventWatch", "createEventWatch");
        if (error != 0) return nullptr;
        return std::make_unique<SimulatedWatch>(sim_);
    }

private:
    std::shared_ptr<SimulatedSerialDriver> sim_;
};

inline std::unique_ptr<SerialLine> SimulatedSerialDriver::open(const std::string& name,
                                                               SystemError& error) {
    {
        std::lock_guard lock(mutex_);
        if (held_.count(name)) {
            calls_.push_back("open " + name);
            error = 5;  // access denied
            return nullptr;
        }
    }
    error = record("open " + name, "open");
    if (error != 0) return nullptr;
    return std::make_unique<SimulatedLine>(shared_from_this());
}

}  // namespace dravel::devices::testing
