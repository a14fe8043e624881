#include "devices/mixer/AudioMixerNames.h"

namespace dravel::devices {

// The component keeps the last opened device's name after a failed open;
// with no device open there is no card to name.
std::optional<std::string> AudioMixerNames::productName() const {
    if (mixer_.mixerId() < 0) return std::nullopt;
    return mixer_.productName();
}

}  // namespace dravel::devices
