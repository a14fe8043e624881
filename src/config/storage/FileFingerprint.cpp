#include "config/storage/FileFingerprint.h"

#include "config/storage/AtomicFile.h"

namespace dravel::config {

// FNV-1a over the bytes; together with the size, an unnoticed change would
// need a collision of 64 bits.
FileFingerprint fingerprintOf(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ull;
    }
    return {true, bytes.size(), hash};
}

FileFingerprint currentFingerprint(const std::string& path) {
    std::string bytes;
    const std::error_code ec = readRegularFile(path, bytes);
    if (ec == std::errc::no_such_file_or_directory) return kNoFile;
    if (ec) return {true, ~std::uint64_t{0}, ~std::uint64_t{0}};
    return fingerprintOf(bytes);
}

}  // namespace dravel::config
