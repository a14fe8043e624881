#pragma once

#include <functional>
#include <utility>

namespace dravel::testing {

// Puts a replacement in through one of the program's test hooks and puts
// back what it replaced when the guard goes, so no test leaves a hook set
// for the next one, also when it fails half-way.
template <typename Value>
class ScopedHook {
public:
    // For hooks that hand back the value they replaced.
    using Exchange = Value (*)(Value);

    ScopedHook(Exchange exchange, Value replacement)
        : exchange_(exchange), previous_(exchange(std::move(replacement))) {}
    ~ScopedHook() { exchange_(std::move(previous_)); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    Exchange exchange_;
    Value previous_;
};

// For hooks that only set a value and whose normal value is known.
class ScopedSetting {
public:
    template <typename Set, typename Value>
    ScopedSetting(Set set, Value value, Value normal) : reset_([set, normal] { set(normal); }) {
        set(value);
    }
    ~ScopedSetting() { reset_(); }
    ScopedSetting(const ScopedSetting&) = delete;
    ScopedSetting& operator=(const ScopedSetting&) = delete;

private:
    std::function<void()> reset_;
};

}  // namespace dravel::testing
