#include "devices/serial/ComPort_linux.h"
#include "devices/serial/SerialDriver.h"

namespace dravel::devices {

namespace {

bool reachedFourFifths(uint32_t count, uint32_t size) {
    return static_cast<uint64_t>(count) * 5 >= static_cast<uint64_t>(size) * 4;
}

uint32_t countedChanges(const LineCounters& a, const LineCounters& b) {
    uint32_t events = 0;
    if (a.cts != b.cts) events |= kEvCts;
    if (a.dsr != b.dsr) events |= kEvDsr;
    if (a.dcd != b.dcd) events |= kEvRlsd;
    if (a.ring != b.ring) events |= kEvRing;
    if (a.breaks != b.breaks) events |= kEvBreak;
    if (lineErrorsBetween(a, b) & ~kLineBreak) events |= kEvError;
    return events;
}

}  // namespace

uint32_t lineErrorsBetween(const LineCounters& before, const LineCounters& now) {
    uint32_t errors = 0;
    if (now.frame != before.frame) errors |= kLineFrame;
    if (now.overrun != before.overrun) errors |= kLineOverrun;
    if (now.parity != before.parity) errors |= kLineRxParity;
    if (now.breaks != before.breaks) errors |= kLineBreak;
    if (now.bufferOverrun != before.bufferOverrun) errors |= kLineRxOver;
    return errors;
}

uint32_t detectLineEvents(const LineSnapshot& before, const LineSnapshot& now, uint32_t inputSize) {
    uint32_t events = 0;
    if (now.inputCount > before.inputCount) events |= kEvRxChar;
    if (inputSize > 0 && !reachedFourFifths(before.inputCount, inputSize) &&
        reachedFourFifths(now.inputCount, inputSize)) {
        events |= kEvRx80Full;
    }
    if (before.outputCount > 0 && now.outputCount == 0) events |= kEvTxEmpty;
    if (before.haveCounters && now.haveCounters) {
        events |= countedChanges(before.counters, now.counters);
    }
    if (before.haveModemLines && now.haveModemLines) {
        events |= modemLineEvents(before.modemLines, now.modemLines);
    }
    return events;
}

}  // namespace dravel::devices
