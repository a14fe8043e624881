#pragma once

// Helpers of the serial port tests: the Qt application whose thread is the
// UI thread, waiting with or without serving its events, the error a call
// raises, counting the process's event threads and descriptors, and a
// pseudo-terminal standing in for a serial line.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "devices/serial/ComPort.h"
#include "devices/serial/ComThread.h"

namespace dravel::devices::testing {

using Calls = std::vector<std::string>;

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "serial_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Serves the UI thread's events until the condition holds; false on time-out.
inline bool serveUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Waits without serving the UI thread's events.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline bool contains(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

template <typename F>
EComPort comErrorOf(F&& operation) {
    try {
        operation();
    } catch (const EComPort& e) {
        return e;
    }
    ADD_FAILURE() << "no EComPort raised";
    return EComPort(ComErrorCode::RegistryError, -999);
}

// Event threads of ports: other threads (Qt's, the toolkit's) come and go on
// their own and must not make these counts flaky.
inline int threadCount() {
    int n = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name == TComThread::kThreadName) ++n;
    }
    return n;
}

inline int descriptorCount() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

// The master side of a pseudo-terminal; slavePath() is opened as the port.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slave_ = ptsname(master_);
        }
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Hangs up: the serial line's other end goes away.
    void closeMaster() {
        close(master_);
        master_ = -1;
    }

    bool ok() const { return !slave_.empty(); }
    const std::string& slavePath() const { return slave_; }
    int master() const { return master_; }

private:
    int master_ = -1;
    std::string slave_;
};

}  // namespace dravel::devices::testing
