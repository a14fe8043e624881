#include "devices/sound/SoundLibrary.h"

#include <memory>
#include <utility>

namespace dravel::devices {
namespace {

// Lives until the program ends, so every stream plays to its end or until
// the program closes.
std::unique_ptr<SoundLibrary>& instance() {
    static std::unique_ptr<SoundLibrary> library;
    return library;
}

}  // namespace

SoundLibrary& soundLibrary() {
    auto& library = instance();
    if (!library) library = createSdlSoundLibrary();
    return *library;
}

std::unique_ptr<SoundLibrary> replaceSoundLibrary(std::unique_ptr<SoundLibrary> library) {
    return std::exchange(instance(), std::move(library));
}

}  // namespace dravel::devices
