#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dravel::config {

// The sound card names the summary shows, as the mixer component offers them.
class MixerNames {
public:
    virtual ~MixerNames() = default;

    // Selects a mixer device; an id that names no device keeps the current one.
    virtual void selectDevice(int id) = 0;

    // Product name of the selected device; nothing when no device is open.
    virtual std::optional<std::string> productName() const = 0;

    // The input list of the selected device: its first destination line
    // followed by that destination's source lines. Empty without a destination.
    virtual std::vector<std::string> inputNames() const = 0;
};

}  // namespace dravel::config
