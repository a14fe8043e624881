#include "devices/version/FileVersion.h"

#include <algorithm>
#include <string_view>

#include "devices/version/FileVersionQuery.h"

namespace dravel::devices {
namespace {

// Blanks and control characters, as a trim of the file name removes them.
bool isBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

}  // namespace

std::string toText(const FourPartVersion& version) {
    std::string text;
    for (const std::uint16_t part : version.parts) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string(part);
    }
    return text;
}

std::string FileVersionText(const std::string& utf8FileName) {
    const auto version = isBlank(utf8FileName) ? detail::queryOwnFileVersion()
                                               : detail::queryFileVersion(utf8FileName);
    return version ? toText(*version) : std::string(kNoVersionText);
}

std::optional<FourPartVersion> readExecutableVersion(std::span<const std::byte> image) {
    const auto startsWith = [image](std::string_view magic) {
        return image.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), image.begin(),
                          [](char m, std::byte b) { return std::byte(m) == b; });
    };
    if (startsWith("MZ")) {
        return readPeFileVersion(image);
    }
    if (startsWith("\x7F"
                   "ELF")) {
        return readElfVersionNote(image);
    }
    return std::nullopt;
}

}  // namespace dravel::devices
