#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dravel::devices {

// The parts of the platform's mixer records that the program keeps, with
// texts as UTF-8. The mixer component applies the platform's name rules (up to
// the first zero byte, at most the array's length), so every backend yields
// names alike.

// Capabilities of one mixer device.
struct MixerCaps {
    std::uint16_t manufacturerId = 0;
    std::uint16_t productId = 0;
    std::uint32_t driverVersion = 0;
    std::string productName;
    std::uint32_t destinations = 0;
};

// One destination or source line.
struct MixerLine {
    std::uint32_t destination = 0;
    std::uint32_t source = 0;
    std::uint32_t lineId = 0;
    std::uint32_t connections = 0;  // sources feeding a destination
    std::uint32_t controls = 0;
    std::string name;
};

// One control of a line.
struct MixerControl {
    std::uint32_t controlId = 0;
    std::uint32_t controlType = 0;
    std::string name;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

using MixerHandle = std::uintptr_t;

// How an open asks for change notices: to the component's notice window, or
// not at all (the last of the component's open attempts).
enum class MixerCallback { NoticeWindow, None };

// The platform's mixer calls, one method each, failures as empty results.
class MixerDriver {
public:
    virtual ~MixerDriver() = default;

    virtual unsigned getNumDevs() = 0;
    virtual std::optional<MixerHandle> open(unsigned deviceId, MixerCallback callback) = 0;
    // Needs no open device.
    virtual std::optional<MixerCaps> getDevCaps(unsigned deviceId) = 0;
    virtual std::optional<MixerLine> getDestinationLineInfo(MixerHandle mixer,
                                                            std::uint32_t destination) = 0;
    virtual std::optional<MixerLine> getSourceLineInfo(MixerHandle mixer, std::uint32_t destination,
                                                       std::uint32_t source) = 0;
    virtual std::optional<std::vector<MixerControl>> getLineControls(MixerHandle mixer,
                                                                     std::uint32_t lineId,
                                                                     std::uint32_t count) = 0;
    virtual void close(MixerHandle mixer) = 0;
};

// ALSA on Linux, the multimedia mixer calls on Windows.
std::unique_ptr<MixerDriver> createPlatformMixerDriver();

}  // namespace dravel::devices
