#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testplatform {

// Waits, without serving any event loop, until the condition holds; false when it still does not
// after the timeout. The timeout only bounds a test that would hang otherwise.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testplatform
