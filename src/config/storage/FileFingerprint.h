#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravel::config {

// What a file held when it was read, to find out before a save whether
// someone else (a second Dravel, a member over remote desktop, the CSV
// import) changed it meanwhile. A missing file and an empty one differ.
struct FileFingerprint {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    friend bool operator==(const FileFingerprint&, const FileFingerprint&) = default;
};

FileFingerprint fingerprintOf(std::string_view bytes);
inline constexpr FileFingerprint kNoFile{};

// The file as it is now; a file that cannot be read counts as changed from
// anything read whole before, so it never matches a fingerprint of bytes.
FileFingerprint currentFingerprint(const std::string& path);

}  // namespace dravel::config
