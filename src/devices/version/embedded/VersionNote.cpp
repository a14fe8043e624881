// The program's version as an ELF note in every executable that links the version library, read
// back by FileVersionText and visible with `readelf -n`. The build links this object directly into
// each executable, so the linker keeps it although no code refers to it.
#include <array>
#include <cstdint>
#include <string_view>

#include "devices/version/VersionNote.h"

namespace dravel::devices::versionnote {
namespace {

// "a.b.c.d" from the build, checked while compiling: four numbers of at most 65535.
consteval std::array<std::uint32_t, 4> parseVersion(std::string_view text) {
    std::array<std::uint32_t, 4> parts{};
    std::size_t part = 0;
    bool hasDigit = false;
    for (const char c : text) {
        if (c == '.') {
            if (!hasDigit || ++part == parts.size()) {
                throw "the version needs four numbers separated by dots";
            }
            hasDigit = false;
        } else if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<std::uint32_t>(c - '0');
            if (parts[part] > 0xFFFF) {
                throw "a version number exceeds 65535";
            }
            hasDigit = true;
        } else {
            throw "the version holds a character other than digits and dots";
        }
    }
    if (part != parts.size() - 1 || !hasDigit) {
        throw "the version needs four numbers separated by dots";
    }
    return parts;
}

struct Note {
    std::uint32_t ownerSize;
    std::uint32_t descriptionSize;
    std::uint32_t type;
    char owner[8];  // "Dravel" padded to 4 bytes
    std::array<std::uint32_t, 4> parts;
};
static_assert(sizeof(kOwner) <= sizeof(Note::owner));
static_assert(sizeof(Note::parts) == kDescriptionSize);

// Aligned to exactly 4 bytes: a larger alignment would make the note section unreadable as notes.
[[gnu::used, gnu::aligned(4), gnu::section(".note.dravel.version")]] constexpr Note kNote{
    sizeof(kOwner), kDescriptionSize, kType, "Dravel", parseVersion(DRAVEL_VERSION_STRING)};

}  // namespace
}  // namespace dravel::devices::versionnote
