#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/SimulatedMixerDriver.h"

namespace dravel::devices::mixertest {

inline MixerControl control(std::uint32_t id, const std::string& name) {
    MixerControl c;
    c.controlId = id;
    c.name = name;
    c.maximum = 65535;
    return c;
}

inline SimulatedLine line(const std::string& name, int controls = 2) {
    SimulatedLine l;
    l.name = name;
    for (int i = 0; i < controls; ++i)
        l.controls.push_back(control(static_cast<std::uint32_t>(i), name + " control"));
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

struct SimulatedMixer {
    std::shared_ptr<SimulatedMixerSystem> system = std::make_shared<SimulatedMixerSystem>();

    std::unique_ptr<TAudioMixer> create() {
        system->calls.clear();
        return std::make_unique<TAudioMixer>(std::make_unique<SimulatedMixerDriver>(system));
    }
    std::vector<std::string>& calls() { return system->calls; }
};

}  // namespace dravel::devices::mixertest
