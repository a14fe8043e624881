#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/SimulatedMixerDriver.h"
#include "dialogs/Soundkarte.h"
#include "support/ScopedHook.h"

namespace dravel::testing {

// The sound cards that every radio playback dialog made meanwhile finds,
// over a simulated mixer: no test reaches a sound card of the machine.
class SimulatedCards {
public:
    explicit SimulatedCards(std::vector<devices::SimulatedDevice> devices = {})
        : system_(std::make_shared<devices::SimulatedMixerSystem>()),
          factory_(dialogs::replaceMixerFactory, [system = system_] {
              return std::make_unique<devices::TAudioMixer>(
                  std::make_unique<devices::SimulatedMixerDriver>(system));
          }) {
        system_->devices = std::move(devices);
    }
    const devices::SimulatedMixerSystem& system() const { return *system_; }

private:
    std::shared_ptr<devices::SimulatedMixerSystem> system_;
    ScopedHook<dialogs::MixerFactory> factory_;
};

}  // namespace dravel::testing
