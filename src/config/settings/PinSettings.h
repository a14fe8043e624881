#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "config/storage/IniFile.h"

namespace dravel::config {

// The switchable lines of the serial port, by pin index: 0 = Pin 3 (TXD),
// 1 = Pin 4 (DTR), 2 = Pin 7 (RTS).
inline constexpr int kPinCount = 3;

// Captions of the pins in every window, list and report, by pin index.
inline constexpr std::array<std::string_view, kPinCount> kPinCaptions = {
    "Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"};

// The alarm program stores descriptions in fixed-size fields.
inline constexpr std::size_t kMaxPinDescription = 255;

// Section of one pin: "Pin" followed by its index.
std::string pinSection(int pinIndex);

// What the alarm program does with one output pin.
struct PinRecord {
    enum StartMode { NoStartMode = -1, AfterWait = 0, OnCondition = 1 };

    std::string description;  // at most kMaxPinDescription characters
    int wait = 0;             // seconds from program start (start mode AfterWait)
    int duration = 0;         // seconds the pin stays switched on
    bool active = false;      // the pin is switched at all
    int startMode = AfterWait;

    // Whether another program changed the group between two reads.
    friend bool operator==(const PinRecord&, const PinRecord&) = default;
};

// The COM port command's working copy: the three pins and the chosen port.
struct ComPortSettings {
    std::array<PinRecord, kPinCount> pins;
    std::string port;

    // Reads the three pins as they are stored, only the description cut to
    // its field. The port is not read: the dialog preselects the one the
    // summary last named.
    static ComPortSettings read(const IniFile& ini);
    // Writes all three pins, changed or not, then the port.
    void write(IniFile& ini) const;

    // Whether another program changed the group between two reads.
    friend bool operator==(const ComPortSettings&, const ComPortSettings&) = default;
};

// The description as the alarm program's field holds it.
std::string cutDescription(const std::string& text);

// True when the alarm sound is played and switches this pin while it plays.
bool pinSwitchedBySound(const IniFile& ini, int pinIndex);

}  // namespace dravel::config
