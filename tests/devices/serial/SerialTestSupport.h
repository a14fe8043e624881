#pragma once

// Helpers of the serial port tests: the Qt application whose thread is the
// UI thread, waiting with or without serving its events, the error a call
// raises, counting the process's event threads and descriptors.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/TestPlatform.h"
#include "common/WaitUntil.h"
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
using testplatform::waitUntil;

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
    return testplatform::threadsNamed(TComThread::kThreadName);
}

inline int descriptorCount() {
    return testplatform::openHandleCount();
}

}  // namespace dravel::devices::testing
