#pragma once

#include <cstdint>
#include <string>

namespace dravel::devices {

// What the Linux event watch reads from a line at each look: the queue
// counts, the input lines and the driver's interrupt counters. A terminal
// without modem lines (a pseudo-terminal) has neither lines nor counters.
struct LineCounters {
    uint32_t cts = 0;
    uint32_t dsr = 0;
    uint32_t ring = 0;
    uint32_t dcd = 0;
    uint32_t frame = 0;
    uint32_t overrun = 0;
    uint32_t parity = 0;
    uint32_t breaks = 0;
    uint32_t bufferOverrun = 0;
};

struct LineSnapshot {
    uint32_t inputCount = 0;
    uint32_t outputCount = 0;
    bool haveModemLines = false;
    uint32_t modemLines = 0;  // kModem* bits
    bool haveCounters = false;
    LineCounters counters;
};

// The events (kEv* bits) that happened between two looks at a line. Linux
// reports levels, not events, so they are found by comparison: bytes arrived,
// the input queue reached 80 % of inputSize, the output queue ran empty, an
// input line changed (counted changes catch short pulses between two looks),
// a break or a line error was counted. evRxFlag cannot be seen without reading
// the data and is never reported.
uint32_t detectLineEvents(const LineSnapshot& before, const LineSnapshot& now, uint32_t inputSize);

// The line error bits (kLine*) of the counters that rose.
uint32_t lineErrorsBetween(const LineCounters& before, const LineCounters& now);

// The number the Windows build shows for the same failure (ERROR_ACCESS_DENIED
// for a port another program holds, ERROR_FILE_NOT_FOUND for a missing one…),
// so both builds report a failure alike; a value without a counterpart stays
// as it is.
int windowsErrorOf(int errnoValue);

// Tests put a tree of their own in to list ports from; hands back what was
// there. An empty text puts "/sys" back.
std::string replaceSysfsRoot(std::string root);

}  // namespace dravel::devices
