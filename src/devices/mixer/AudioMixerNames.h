#pragma once

#include "config/settings/MixerNames.h"
#include "devices/mixer/AudioMixer.h"

namespace dravel::devices {

// The summary's view of a window's mixer component.
class AudioMixerNames final : public config::MixerNames {
public:
    explicit AudioMixerNames(TAudioMixer& mixer) : mixer_(mixer) {}

    void selectDevice(int id) override { mixer_.setMixerId(id); }
    std::optional<std::string> productName() const override;
    std::vector<std::string> inputNames() const override { return mixer_.inputNames(); }

private:
    TAudioMixer& mixer_;
};

}  // namespace dravel::devices
