#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dravel::devices {

// The four operations of the sound library the program relies on: start-up
// checks the version and initialises the output, every preview creates a
// stream from a file and plays it. Streams are never stopped or freed before
// the program ends, so previews overlap and play to their end.
class SoundLibrary {
public:
    static constexpr uint32_t kExpectedVersionHigh = 0x0203;

    virtual ~SoundLibrary() = default;

    // High 16 bits: major/minor version of the library interface (0x0203).
    virtual uint32_t GetVersion() = 0;
    // device -1 is the default output device; returns false on failure, for
    // any other device and for a second call. The mix runs at 44100 Hz and is
    // adapted to the device's own rate, so frequency and flags change nothing.
    virtual bool Init(int device, uint32_t frequency, uint32_t flags) = 0;
    // Returns a stream handle, 0 when the file cannot be opened or decoded.
    virtual uint32_t StreamCreateFile(const std::string& utf8Path) = 0;
    // Starts playback and returns at once; false for handle 0, an unknown
    // handle or no output. A playing stream keeps going unless restart is
    // set; one that has played to its end starts again from the beginning.
    virtual bool ChannelPlay(uint32_t handle, bool restart) = 0;
};

// The program-wide sound library (SDL2 output, libsndfile decoding).
SoundLibrary& soundLibrary();

// Tests put a stand-in in; hands back what was there. Null puts the
// SDL2/libsndfile library back, made when it is next used.
std::unique_ptr<SoundLibrary> replaceSoundLibrary(std::unique_ptr<SoundLibrary> library);

// A new SDL2/libsndfile sound library, independent of the program-wide one.
std::unique_ptr<SoundLibrary> createSdlSoundLibrary();

}  // namespace dravel::devices
