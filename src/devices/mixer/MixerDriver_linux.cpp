#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "devices/mixer/MixerDriver.h"

// ALSA as the platform mixer:
// - a device is a sound card, in the order ALSA numbers the cards;
// - its product name is the card's name ("HDA Intel PCH"), not its id or long name;
// - its one destination is the card's main playback control, the element a
//   desktop volume control shows: "Master", else "PCM", else the first element
//   with a playback volume, else the first playback element; a card without
//   playback elements has no destination;
// - the destination's sources are the card's other playback elements (those
//   with a playback volume or switch), in the mixer's element order;
// - a line's controls are its playback volume and its playback switch;
// - a line id is the element's position among the card's playback elements.
// ALSA delivers no change notices to a window, so the callback kind is ignored.

namespace dravel::devices {
namespace {

constexpr std::uint32_t kVolumeControlType = 0x50030001;  // a fader from minimum to maximum
constexpr std::uint32_t kMuteControlType = 0x20010002;    // an on/off switch

struct SimpleMixer {
    snd_mixer_t* mixer = nullptr;
    std::vector<snd_mixer_elem_t*> playback;  // main control first, then the sources
};

std::string cardDevice(int card) {
    return "hw:" + std::to_string(card);
}

bool isPlayback(snd_mixer_elem_t* elem) {
    return snd_mixer_selem_is_active(elem) &&
           (snd_mixer_selem_has_playback_volume(elem) || snd_mixer_selem_has_playback_switch(elem));
}

std::string elementName(snd_mixer_elem_t* elem) {
    std::string name = snd_mixer_selem_get_name(elem);
    if (const unsigned index = snd_mixer_selem_get_index(elem); index > 0)
        name += " " + std::to_string(index);
    return name;
}

std::size_t mainControl(const std::vector<snd_mixer_elem_t*>& elems) {
    for (const char* preferred : {"Master", "PCM"}) {
        for (std::size_t i = 0; i < elems.size(); ++i) {
            if (elementName(elems[i]) == preferred) return i;
        }
    }
    for (std::size_t i = 0; i < elems.size(); ++i) {
        if (snd_mixer_selem_has_playback_volume(elems[i])) return i;
    }
    return 0;
}

std::optional<SimpleMixer> loadMixer(int card) {
    SimpleMixer m;
    if (snd_mixer_open(&m.mixer, 0) < 0) return std::nullopt;
    if (snd_mixer_attach(m.mixer, cardDevice(card).c_str()) < 0 ||
        snd_mixer_selem_register(m.mixer, nullptr, nullptr) < 0 || snd_mixer_load(m.mixer) < 0) {
        snd_mixer_close(m.mixer);
        return std::nullopt;
    }
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(m.mixer); e; e = snd_mixer_elem_next(e)) {
        if (isPlayback(e)) m.playback.push_back(e);
    }
    if (!m.playback.empty()) {
        const std::size_t main = mainControl(m.playback);
        std::rotate(m.playback.begin(), m.playback.begin() + static_cast<std::ptrdiff_t>(main),
                    m.playback.begin() + static_cast<std::ptrdiff_t>(main) + 1);
    }
    return m;
}

std::uint32_t controlCount(snd_mixer_elem_t* elem) {
    return (snd_mixer_selem_has_playback_volume(elem) ? 1u : 0u) +
           (snd_mixer_selem_has_playback_switch(elem) ? 1u : 0u);
}

MixerLine lineOf(const SimpleMixer& m, std::uint32_t position) {
    snd_mixer_elem_t* elem = m.playback[position];
    MixerLine line;
    line.destination = 0;
    line.source = position == 0 ? 0 : position - 1;
    line.lineId = position;
    line.connections = position == 0 ? static_cast<std::uint32_t>(m.playback.size() - 1) : 0;
    line.controls = controlCount(elem);
    line.name = elementName(elem);
    return line;
}

std::vector<MixerControl> controlsOf(snd_mixer_elem_t* elem, std::uint32_t lineId) {
    std::vector<MixerControl> controls;
    if (snd_mixer_selem_has_playback_volume(elem)) {
        long minimum = 0;
        long maximum = 0;
        snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum);
        controls.push_back({lineId * 2, kVolumeControlType, "Volume",
                            static_cast<std::int32_t>(minimum),
                            static_cast<std::int32_t>(maximum)});
    }
    if (snd_mixer_selem_has_playback_switch(elem))
        controls.push_back({lineId * 2 + 1, kMuteControlType, "Mute", 0, 1});
    return controls;
}

class AlsaMixerDriver final : public MixerDriver {
public:
    AlsaMixerDriver() {
        for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) cards_.push_back(card);
    }

    ~AlsaMixerDriver() override {
        for (auto& [handle, m] : open_) snd_mixer_close(m.mixer);
    }

    unsigned getNumDevs() override { return static_cast<unsigned>(cards_.size()); }

    std::optional<MixerHandle> open(unsigned deviceId, MixerCallback) override {
        if (deviceId >= cards_.size()) return std::nullopt;
        auto m = loadMixer(cards_[deviceId]);
        if (!m) return std::nullopt;
        const MixerHandle handle = nextHandle_++;
        open_.emplace(handle, std::move(*m));
        return handle;
    }

    std::optional<MixerCaps> getDevCaps(unsigned deviceId) override {
        if (deviceId >= cards_.size()) return std::nullopt;
        char* name = nullptr;
        if (snd_card_get_name(cards_[deviceId], &name) < 0) return std::nullopt;
        MixerCaps caps;
        caps.productName = name;
        std::free(name);
        if (auto m = loadMixer(cards_[deviceId])) {
            caps.destinations = m->playback.empty() ? 0 : 1;
            snd_mixer_close(m->mixer);
        }
        return caps;
    }

    std::optional<MixerLine> getDestinationLineInfo(MixerHandle handle,
                                                    std::uint32_t destination) override {
        const SimpleMixer* m = find(handle);
        if (!m || destination != 0 || m->playback.empty()) return std::nullopt;
        return lineOf(*m, 0);
    }

    std::optional<MixerLine> getSourceLineInfo(MixerHandle handle, std::uint32_t destination,
                                               std::uint32_t source) override {
        const SimpleMixer* m = find(handle);
        if (!m || destination != 0 || source + 1 >= m->playback.size()) return std::nullopt;
        return lineOf(*m, source + 1);
    }

    std::optional<std::vector<MixerControl>> getLineControls(MixerHandle handle,
                                                             std::uint32_t lineId,
                                                             std::uint32_t count) override {
        const SimpleMixer* m = find(handle);
        if (!m || lineId >= m->playback.size()) return std::nullopt;
        auto controls = controlsOf(m->playback[lineId], lineId);
        if (controls.size() != count) return std::nullopt;
        return controls;
    }

    void close(MixerHandle handle) override {
        const auto it = open_.find(handle);
        if (it == open_.end()) return;
        snd_mixer_close(it->second.mixer);
        open_.erase(it);
    }

private:
    const SimpleMixer* find(MixerHandle handle) const {
        const auto it = open_.find(handle);
        return it == open_.end() ? nullptr : &it->second;
    }

    std::vector<int> cards_;
    std::map<MixerHandle, SimpleMixer> open_;
    MixerHandle nextHandle_ = 1;
};

}  // namespace

std::unique_ptr<MixerDriver> createPlatformMixerDriver() {
    return std::make_unique<AlsaMixerDriver>();
}

}  // namespace dravel::devices
