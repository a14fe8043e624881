#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/mixer/MixerDriver.h"

namespace dravel::devices {

// A list built once per device selection; asking for an index at or beyond
// its end yields nothing.
template <class T>
class TMixerList {
public:
    std::size_t count() const { return items_.size(); }
    const T* item(std::size_t index) const {
        return index < items_.size() ? &items_[index] : nullptr;
    }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    void append(T item) { items_.push_back(std::move(item)); }

private:
    std::vector<T> items_;
};

// The control records of one line.
using TMixerControls = TMixerList<MixerControl>;

// A source line feeding a destination, such as the input a radio receiver is wired to.
class TMixerConnection {
public:
    TMixerConnection(MixerLine line, TMixerControls controls);
    const MixerLine& line() const { return line_; }
    const std::string& name() const { return line_.name; }
    const TMixerControls& controls() const { return controls_; }

private:
    MixerLine line_;
    TMixerControls controls_;
};

using TMixerConnections = TMixerList<TMixerConnection>;

// A destination line of the device, such as the loudspeaker output.
class TMixerDestination {
public:
    TMixerDestination(MixerLine line, TMixerControls controls, TMixerConnections connections);
    const MixerLine& line() const { return line_; }
    const std::string& name() const { return line_.name; }
    const TMixerControls& controls() const { return controls_; }
    const TMixerConnections& connections() const { return connections_; }

private:
    MixerLine line_;
    TMixerControls controls_;
    TMixerConnections connections_;
};

using TMixerDestinations = TMixerList<TMixerDestination>;

// The sound cards of the computer and the lines of their mixers, by name. It
// only reads: no volume or mute state is ever changed. The device count is
// read once at creation; the lines are read once per device selection.
// Either no device is open (mixerId() -1, no destinations) or one is.
class TAudioMixer {
public:
    // Lengths the platform's name arrays hold.
    static constexpr std::size_t kProductNameChars = 31;
    static constexpr std::size_t kLineNameChars = 64;

    // Over the platform's mixer, with device 0 selected when there is one.
    TAudioMixer();
    explicit TAudioMixer(std::unique_ptr<MixerDriver> driver);
    ~TAudioMixer();
    TAudioMixer(const TAudioMixer&) = delete;
    TAudioMixer& operator=(const TAudioMixer&) = delete;

    int deviceCount() const { return deviceCount_; }
    // Empty for an id that names no device or whose capabilities cannot be read.
    std::string productNameOf(int deviceId) const;

    int mixerId() const { return mixerId_; }
    // Closes the open device and opens device id; an id that names no device
    // changes nothing. A device that cannot be opened leaves none open.
    void setMixerId(int id);

    // Capabilities of the device last opened; kept when a later open fails.
    const std::string& productName() const { return productName_; }
    const std::string& manufacturer() const { return manufacturer_; }
    std::uint32_t driverVersion() const { return driverVersion_; }
    std::uint16_t productId() const { return productId_; }
    int numberOfLine() const { return numberOfLine_; }

    const TMixerDestinations& destinations() const { return destinations_; }

    // Destination 0 followed by its source lines, as the input lists show them;
    // empty when no device is open or it has no destination.
    std::vector<std::string> inputNames() const;

private:
    void closeDevice();
    std::optional<MixerHandle> openWithRetries(unsigned id);
    void takeCapabilities(const MixerCaps& caps);
    void buildDestinations();
    TMixerDestination buildDestination(MixerLine line);
    TMixerControls buildControls(const MixerLine& line);

    std::unique_ptr<MixerDriver> driver_;
    int deviceCount_ = 0;
    int mixerId_ = -1;
    MixerHandle handle_ = 0;
    std::string productName_;
    std::string manufacturer_;
    std::uint32_t driverVersion_ = 0;
    std::uint16_t productId_ = 0;
    int numberOfLine_ = 0;
    TMixerDestinations destinations_;
};

}  // namespace dravel::devices
