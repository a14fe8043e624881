#include "devices/mixer/AudioMixer.h"

#include <utility>

#include "config/storage/Cp1252.h"

namespace dravel::devices {
namespace {

constexpr std::uint16_t kMicrosoftManufacturerId = 1;

// A platform name ends at its first zero byte and never runs past its array.
std::string platformName(const std::string& name, std::size_t maxChars) {
    return config::utf8Left(std::string_view(name).substr(0, name.find('\0')), maxChars);
}

MixerLine withPlatformName(MixerLine line) {
    line.name = platformName(line.name, TAudioMixer::kLineNameChars);
    return line;
}

}  // namespace

TMixerConnection::TMixerConnection(MixerLine line, TMixerControls controls)
    : line_(std::move(line)), controls_(std::move(controls)) {}

TMixerDestination::TMixerDestination(MixerLine line, TMixerControls controls,
                                     TMixerConnections connections)
    : line_(std::move(line)),
      controls_(std::move(controls)),
      connections_(std::move(connections)) {}

TAudioMixer::TAudioMixer() : TAudioMixer(createPlatformMixerDriver()) {}

TAudioMixer::TAudioMixer(std::unique_ptr<MixerDriver> driver) : driver_(std::move(driver)) {
    deviceCount_ = static_cast<int>(driver_->getNumDevs());
    if (deviceCount_ > 0) setMixerId(0);
}

TAudioMixer::~TAudioMixer() {
    closeDevice();
}

std::string TAudioMixer::productNameOf(int deviceId) const {
    if (deviceId < 0 || deviceId >= deviceCount_) return {};
    const auto caps = driver_->getDevCaps(static_cast<unsigned>(deviceId));
    return caps ? platformName(caps->productName, kProductNameChars) : std::string();
}

void TAudioMixer::setMixerId(int id) {
    if (id < 0 || id >= deviceCount_) return;
    closeDevice();
    const auto handle = openWithRetries(static_cast<unsigned>(id));
    if (!handle) return;
    handle_ = *handle;
    mixerId_ = id;
    // A device whose capabilities cannot be read is shown without name and
    // lines rather than with those of the device opened before.
    takeCapabilities(driver_->getDevCaps(static_cast<unsigned>(id)).value_or(MixerCaps{}));
    buildDestinations();
}

void TAudioMixer::closeDevice() {
    if (mixerId_ >= 0) {
        driver_->close(handle_);
        mixerId_ = -1;
    }
    destinations_ = {};
}

// The open is asked twice as it stands, then once more without change
// notices, for drivers that cannot deliver them.
std::optional<MixerHandle> TAudioMixer::openWithRetries(unsigned id) {
    for (const MixerCallback callback :
         {MixerCallback::NoticeWindow, MixerCallback::NoticeWindow, MixerCallback::None}) {
        if (const auto handle = driver_->open(id, callback)) return handle;
    }
    return std::nullopt;
}

void TAudioMixer::takeCapabilities(const MixerCaps& caps) {
    productName_ = platformName(caps.productName, kProductNameChars);
    manufacturer_ = caps.manufacturerId == kMicrosoftManufacturerId
                        ? "Microsoft"
                        : std::to_string(caps.manufacturerId) + " = Unknown";
    driverVersion_ = caps.driverVersion;
    productId_ = caps.productId;
    numberOfLine_ = static_cast<int>(caps.destinations);
}

// A line the driver cannot report is left out, so later lines move up.
void TAudioMixer::buildDestinations() {
    for (std::uint32_t d = 0; d < static_cast<std::uint32_t>(numberOfLine_); ++d) {
        if (auto line = driver_->getDestinationLineInfo(handle_, d))
            destinations_.append(buildDestination(withPlatformName(std::move(*line))));
    }
}

TMixerDestination TAudioMixer::buildDestination(MixerLine line) {
    TMixerConnections connections;
    for (std::uint32_t s = 0; s < line.connections; ++s) {
        if (auto source = driver_->getSourceLineInfo(handle_, line.destination, s)) {
            MixerLine sourceLine = withPlatformName(std::move(*source));
            TMixerControls controls = buildControls(sourceLine);
            connections.append(TMixerConnection(std::move(sourceLine), std::move(controls)));
        }
    }
    TMixerControls controls = buildControls(line);
    return TMixerDestination(std::move(line), std::move(controls), std::move(connections));
}

TMixerControls TAudioMixer::buildControls(const MixerLine& line) {
    TMixerControls controls;
    if (auto records = driver_->getLineControls(handle_, line.lineId, line.controls)) {
        for (auto& record : *records) controls.append(std::move(record));
    }
    return controls;
}

std::vector<std::string> TAudioMixer::inputNames() const {
    std::vector<std::string> names;
    const TMixerDestination* destination = destinations_.item(0);
    if (!destination) return names;
    names.push_back(destination->name());
    for (const auto& connection : destination->connections()) names.push_back(connection.name());
    return names;
}

}  // namespace dravel::devices
