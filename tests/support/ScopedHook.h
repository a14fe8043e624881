#pragma once

#include <utility>

// Test seams. Where a test stands in for part of the outside world, the module
// that owns that part offers one free function in its namespace,
// replace<Thing>(stand-in), which puts the stand-in in and hands back what was
// there ("Tests put a stand-in in; hands back what was there"). It takes and
// returns its value by value; an empty value (null, an empty function or text,
// false, zero, no value) puts the program's own back. There are no other kinds
// of seam: no setters for tests, no static setters, no public hooks, nothing
// passed through constructors for tests only. Tests hold a ScopedHook rather
// than calling a replace function bare, so that what was there comes back when
// the test ends, also when it fails half-way; only the seams' own tests and the
// program-wide answer to unexpected boxes (FailOnUnexpectedBox.cpp) call them
// directly.
namespace dravel::testing {

// Puts a stand-in in through one of the program's replace functions and puts
// back what was there when the guard goes.
template <typename Value>
class ScopedHook {
public:
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

}  // namespace dravel::testing
