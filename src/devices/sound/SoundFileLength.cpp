#include "devices/sound/SoundFileLength.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "devices/sound/SoundFileOpen.h"

namespace dravel::devices {
namespace {

std::filesystem::path fromUtf8(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

config::SoundLength unknown(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

// Why a file the sound component cannot open is not played.
config::SoundLength whyNotOpened(const std::string& utf8Path) {
    if (utf8Path.empty()) return unknown("es ist keine Datei gewählt");
    std::error_code error;
    const auto status = std::filesystem::status(fromUtf8(utf8Path), error);
    if (!std::filesystem::exists(status)) return unknown("die Datei ist nicht vorhanden");
    if (!std::filesystem::is_regular_file(status)) return unknown("das ist keine Datei");
    return unknown("ihr Format kann nicht gelesen werden");
}

// An MP3 file's header gives only an estimate (tens of milliseconds off):
// the frames are counted by decoding it, as playing it would.
sf_count_t decodedFrames(SNDFILE* file, int channels) {
    std::vector<float> block(4096 * static_cast<std::size_t>(channels));
    sf_count_t total = 0;
    for (sf_count_t got; (got = sf_readf_float(file, block.data(), 4096)) > 0;) total += got;
    return total;
}

}  // namespace

config::SoundLength soundFileLength(const std::string& utf8Path) {
    SF_INFO info;
    const SoundFilePtr file = openSoundFile(utf8Path, info);
    if (!file) return whyNotOpened(utf8Path);
    // Streams of unknown length report the largest count.
    if (info.samplerate <= 0 || info.frames < 0 || info.frames == SF_COUNT_MAX)
        return unknown("ihre Länge ist nicht angegeben");
    const sf_count_t frames = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG
                                  ? decodedFrames(file.get(), info.channels)
                                  : info.frames;
    return {static_cast<double>(frames) / info.samplerate, ""};
}

}  // namespace dravel::devices
