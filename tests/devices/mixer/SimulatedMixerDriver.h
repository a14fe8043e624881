#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices/mixer/MixerDriver.h"

namespace dravel::devices {

// Sound cards in memory, for running the mixer component without one. Lines
// and queries can be made to fail, and every driver call is logged.

struct SimulatedLine {
    std::string name;
    std::vector<MixerControl> controls;
    bool failsLineQuery = false;
    bool failsControlQuery = false;
};

struct SimulatedDestination {
    SimulatedLine line;
    std::vector<SimulatedLine> sources;
};

struct SimulatedDevice {
    std::string productName;
    std::uint16_t manufacturerId = 1;
    std::uint16_t productId = 0;
    std::uint32_t driverVersion = 0;
    std::vector<SimulatedDestination> destinations;
    // Destinations the capabilities announce; by default the real number.
    std::optional<std::uint32_t> announcedDestinations;
    // So many open calls fail, counted over the device's life, before one succeeds.
    int failingOpens = 0;
    // Opens fail unless they ask for no change notices.
    bool refusesNotices = false;
    bool failsCaps = false;
};

struct SimulatedMixerSystem {
    std::vector<SimulatedDevice> devices;

    // Each driver call, e.g. "open 0 window", "open 0 none", "caps 1",
    // "destination 1 0", "source 1 0 2", "controls 1 65536 2", "close 1"
    // (handle, then the call's own arguments).
    std::vector<std::string> calls;
    std::set<MixerHandle> openHandles;
};

class SimulatedMixerDriver final : public MixerDriver {
public:
    explicit SimulatedMixerDriver(std::shared_ptr<SimulatedMixerSystem> system);

    // Line ids of the simulated lines.
    static std::uint32_t destinationLineId(std::uint32_t destination);
    static std::uint32_t sourceLineId(std::uint32_t destination, std::uint32_t source);

    unsigned getNumDevs() override;
    std::optional<MixerHandle> open(unsigned deviceId, MixerCallback callback) override;
    std::optional<MixerCaps> getDevCaps(unsigned deviceId) override;
    std::optional<MixerLine> getDestinationLineInfo(MixerHandle mixer,
                                                    std::uint32_t destination) override;
    std::optional<MixerLine> getSourceLineInfo(MixerHandle mixer, std::uint32_t destination,
                                               std::uint32_t source) override;
    std::optional<std::vector<MixerControl>> getLineControls(MixerHandle mixer,
                                                             std::uint32_t lineId,
                                                             std::uint32_t count) override;
    void close(MixerHandle mixer) override;

private:
    SimulatedDevice* deviceOf(MixerHandle mixer);
    const SimulatedLine* lineById(const SimulatedDevice& device, std::uint32_t lineId) const;
    void log(std::string call);

    std::shared_ptr<SimulatedMixerSystem> system_;
    std::vector<std::pair<MixerHandle, unsigned>> handles_;  // open handle -> device id
    MixerHandle nextHandle_ = 1;
};

}  // namespace dravel::devices
