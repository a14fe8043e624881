#pragma once

// Sound cards in memory for the mixer component's tests, and a fixture that
// builds components over them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/SimulatedMixerDriver.h"

namespace dravel::devices::mixertest {

inline SimulatedLine line(const std::string& name, int controls = 2) {
    SimulatedLine l;
    l.name = name;
    for (int i = 0; i < controls; ++i) {
        MixerControl c;
        c.controlId = static_cast<std::uint32_t>(i);
        c.name = name + " control";
        c.maximum = 65535;
        l.controls.push_back(c);
    }
    return l;
}

// A sound card with a loudspeaker output fed by three inputs and a recording
// destination fed by one.
inline SimulatedDevice soundCard(const std::string& productName) {
    SimulatedDevice device;
    device.productName = productName;
    device.destinations.push_back(
        {line("Lautsprecher"), {line("CD-Player"), line("Line-In"), line("Mikrofon", 1)}});
    device.destinations.push_back({line("Aufnahme", 1), {line("Stereomix")}});
    return device;
}

class MixerTest : public ::testing::Test {
protected:
    SimulatedDevice& addCard(const std::string& name = "Karte") {
        system->devices.push_back(soundCard(name));
        return system->devices.back();
    }
    // A new component over the cards; the call log starts with its creation.
    std::unique_ptr<TAudioMixer> create() {
        system->calls.clear();
        return std::make_unique<TAudioMixer>(std::make_unique<SimulatedMixerDriver>(system));
    }
    std::vector<std::string>& calls() { return system->calls; }

    std::shared_ptr<SimulatedMixerSystem> system = std::make_shared<SimulatedMixerSystem>();
};

}  // namespace dravel::devices::mixertest
