#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

#include "devices/sound/SoundFileSource.h"
#include "devices/sound/SoundLibrary.h"
#include "devices/sound/SoundMixer.h"

namespace dravel::devices {
namespace {

// Low word: this component's own build number.
constexpr uint32_t kVersion = (uint32_t{SoundLibrary::kExpectedVersionHigh} << 16) | 0x0001;
constexpr int kDefaultDevice = -1;
// Streams are decoded to this rate and mixed at it; SDL converts the mix to
// whatever rate the output device runs at.
constexpr int kMixRate = 44100;
constexpr Uint16 kBufferFrames = 1024;  // about 23 ms per callback

class SdlSoundLibrary final : public SoundLibrary {
public:
    ~SdlSoundLibrary() override;

    uint32_t GetVersion() override { return kVersion; }
    bool Init(int device, uint32_t frequency, uint32_t flags) override;
    uint32_t StreamCreateFile(const std::string& utf8Path) override;
    bool ChannelPlay(uint32_t handle, bool restart) override;

private:
    static void SDLCALL fillOutput(void* self, Uint8* stream, int bytes);

    SoundMixer mixer_;
    SDL_AudioDeviceID output_ = 0;
};

SdlSoundLibrary::~SdlSoundLibrary() {
    if (output_ == 0) return;
    // Closing waits for the callback to finish, so the mixer outlives it.
    SDL_CloseAudioDevice(output_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The frequency and flags are accepted as given: the mix always runs at
// kMixRate and SDL adapts it to the device.
bool SdlSoundLibrary::Init(int device, uint32_t /*frequency*/, uint32_t /*flags*/) {
    if (device != kDefaultDevice || output_ != 0) return false;
    // SDL would otherwise take over Ctrl+C and termination signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Dravel");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;

    SDL_AudioSpec wanted{};
    wanted.freq = kMixRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = kBufferFrames;
    wanted.callback = &SdlSoundLibrary::fillOutput;
    wanted.userdata = this;
    output_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (output_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(output_, 0);
    return true;
}

uint32_t SdlSoundLibrary::StreamCreateFile(const std::string& utf8Path) {
    auto source = SoundFileSource::open(utf8Path, kMixRate);
    return source ? mixer_.add(std::move(source)) : 0;
}

// Without output a stream can never play; it is closed at once, or every
// preview would keep a file open until the program runs out of descriptors.
bool SdlSoundLibrary::ChannelPlay(uint32_t handle, bool restart) {
    if (output_ == 0) {
        mixer_.close(handle);
        return false;
    }
    return mixer_.play(handle, restart);
}

void SDLCALL SdlSoundLibrary::fillOutput(void* self, Uint8* stream, int bytes) {
    const auto frames = static_cast<std::size_t>(bytes) / (2 * sizeof(float));
    static_cast<SdlSoundLibrary*>(self)->mixer_.mix(reinterpret_cast<float*>(stream), frames);
}

}  // namespace

std::unique_ptr<SoundLibrary> createSdlSoundLibrary() {
    return std::make_unique<SdlSoundLibrary>();
}

}  // namespace dravel::devices
