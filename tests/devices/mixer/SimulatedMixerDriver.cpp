#include "devices/mixer/SimulatedMixerDriver.h"

#include <algorithm>

namespace dravel::devices {
namespace {

constexpr std::uint32_t kSourceIdSpan = 0x10000;
constexpr std::uint32_t kDestinationSlot = 0xFFFF;

MixerLine lineRecord(const SimulatedLine& line, std::uint32_t destination, std::uint32_t source,
                     std::uint32_t lineId, std::uint32_t connections) {
    MixerLine record;
    record.destination = destination;
    record.source = source;
    record.lineId = lineId;
    record.connections = connections;
    record.controls = static_cast<std::uint32_t>(line.controls.size());
    record.name = line.name;
    return record;
}

}  // namespace

SimulatedMixerDriver::SimulatedMixerDriver(std::shared_ptr<SimulatedMixerSystem> system)
    : system_(std::move(system)) {}

std::uint32_t SimulatedMixerDriver::destinationLineId(std::uint32_t destination) {
    return destination * kSourceIdSpan + kDestinationSlot;
}

std::uint32_t SimulatedMixerDriver::sourceLineId(std::uint32_t destination, std::uint32_t source) {
    return destination * kSourceIdSpan + source;
}

void SimulatedMixerDriver::log(std::string call) {
    system_->calls.push_back(std::move(call));
}

unsigned SimulatedMixerDriver::getNumDevs() {
    log("count");
    return static_cast<unsigned>(system_->devices.size());
}

std::optional<MixerHandle> SimulatedMixerDriver::open(unsigned deviceId, MixerCallback callback) {
    const bool notify = callback == MixerCallback::NoticeWindow;
    log("open " + std::to_string(deviceId) + (notify ? " window" : " none"));
    if (deviceId >= system_->devices.size()) return std::nullopt;
    SimulatedDevice& device = system_->devices[deviceId];
    if (device.failingOpens > 0) {
        --device.failingOpens;
        return std::nullopt;
    }
    if (device.refusesNotices && notify) return std::nullopt;
    const MixerHandle handle = nextHandle_++;
    handles_.emplace_back(handle, deviceId);
    system_->openHandles.insert(handle);
    return handle;
}

std::optional<MixerCaps> SimulatedMixerDriver::getDevCaps(unsigned deviceId) {
    log("caps " + std::to_string(deviceId));
    if (deviceId >= system_->devices.size() || system_->devices[deviceId].failsCaps)
        return std::nullopt;
    const SimulatedDevice& device = system_->devices[deviceId];
    MixerCaps caps;
    caps.manufacturerId = device.manufacturerId;
    caps.productId = device.productId;
    caps.driverVersion = device.driverVersion;
    caps.productName = device.productName;
    caps.destinations = device.announcedDestinations.value_or(
        static_cast<std::uint32_t>(device.destinations.size()));
    return caps;
}

SimulatedDevice* SimulatedMixerDriver::deviceOf(MixerHandle mixer) {
    const auto it = std::find_if(handles_.begin(), handles_.end(),
                                 [mixer](const auto& entry) { return entry.first == mixer; });
    return it == handles_.end() ? nullptr : &system_->devices[it->second];
}

std::optional<MixerLine> SimulatedMixerDriver::getDestinationLineInfo(MixerHandle mixer,
                                                                      std::uint32_t destination) {
    log("destination " + std::to_string(mixer) + " " + std::to_string(destination));
    const SimulatedDevice* device = deviceOf(mixer);
    if (!device || destination >= device->destinations.size()) return std::nullopt;
    const SimulatedDestination& d = device->destinations[destination];
    if (d.line.failsLineQuery) return std::nullopt;
    return lineRecord(d.line, destination, 0, destinationLineId(destination),
                      static_cast<std::uint32_t>(d.sources.size()));
}

std::optional<MixerLine> SimulatedMixerDriver::getSourceLineInfo(MixerHandle mixer,
                                                                 std::uint32_t destination,
                                                                 std::uint32_t source) {
    log("source " + std::to_string(mixer) + " " + std::to_string(destination) + " " +
        std::to_string(source));
    const SimulatedDevice* device = deviceOf(mixer);
    if (!device || destination >= device->destinations.size()) return std::nullopt;
    const auto& sources = device->destinations[destination].sources;
    if (source >= sources.size() || sources[source].failsLineQuery) return std::nullopt;
    return lineRecord(sources[source], destination, source, sourceLineId(destination, source), 0);
}

const SimulatedLine* SimulatedMixerDriver::lineById(const SimulatedDevice& device,
                                                    std::uint32_t lineId) const {
    const std::uint32_t destination = lineId / kSourceIdSpan;
    const std::uint32_t slot = lineId % kSourceIdSpan;
    if (destination >= device.destinations.size()) return nullptr;
    const SimulatedDestination& d = device.destinations[destination];
    if (slot == kDestinationSlot) return &d.line;
    return slot < d.sources.size() ? &d.sources[slot] : nullptr;
}

std::optional<std::vector<MixerControl>> SimulatedMixerDriver::getLineControls(
    MixerHandle mixer, std::uint32_t lineId, std::uint32_t count) {
    log("controls " + std::to_string(mixer) + " " + std::to_string(lineId) + " " +
        std::to_string(count));
    const SimulatedDevice* device = deviceOf(mixer);
    const SimulatedLine* line = device ? lineById(*device, lineId) : nullptr;
    // Like the platform, a request for all controls must name their number.
    if (!line || line->failsControlQuery || count == 0 || count != line->controls.size())
        return std::nullopt;
    return line->controls;
}

void SimulatedMixerDriver::close(MixerHandle mixer) {
    log("close " + std::to_string(mixer));
    std::erase_if(handles_, [mixer](const auto& entry) { return entry.first == mixer; });
    system_->openHandles.erase(mixer);
}

}  // namespace dravel::devices
