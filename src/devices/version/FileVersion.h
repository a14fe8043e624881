#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dravel::devices {

// The file version of an executable in the four 16-bit parts a Windows version resource holds.
struct FourPartVersion {
    std::array<std::uint16_t, 4> parts{};

    friend bool operator==(const FourPartVersion&, const FourPartVersion&) = default;
};

inline constexpr const char* kNoVersionText = "No version specification";

// "a.b.c.d": each part unsigned decimal without leading zeros.
std::string toText(const FourPartVersion& version);

// The file version of the executable named utf8FileName as "a.b.c.d", or kNoVersionText
// when the file is missing or carries no readable version. A name that is empty or blank queries
// the running program's own executable.
std::string FileVersionText(const std::string& utf8FileName);

// Portable readers of an executable already in memory. Every offset taken from the file is checked
// against the image, so a truncated or malformed file yields no version, never a read outside it.
//
// Windows executable (PE32 or PE32+): the file version of the fixed part of its version resource.
std::optional<FourPartVersion> readPeFileVersion(std::span<const std::byte> image);
// ELF executable (32- or 64-bit, little endian): the version note our own build embeds.
std::optional<FourPartVersion> readElfVersionNote(std::span<const std::byte> image);
// Picks the reader by the image's magic number.
std::optional<FourPartVersion> readExecutableVersion(std::span<const std::byte> image);

}  // namespace dravel::devices
