#include "config/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

std::atomic<bool> failBeforeRename{false};

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

fs::path temporaryPathFor(const fs::path& target) {
    std::random_device random;
    fs::path tmp = target;
    tmp += ".tmp" + std::to_string(random() % 1000000);
    return tmp;
}

// The C library's errno tells why a stream failed; keep it for the message.
std::error_code lastError(std::errc fallback) {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(fallback);
}

std::error_code writeAll(const fs::path& file, std::string_view bytes) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return lastError(std::errc::permission_denied);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    const bool written = out.good();
    out.close();
    if (!written || out.fail()) return lastError(std::errc::io_error);
    return {};
}

fs::path directoryOf(const std::string& path) {
    fs::path dir = pathFromUtf8(path).parent_path();
    return dir.empty() ? fs::path(".") : dir;
}

}  // namespace

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::error_code replaceFileContents(const std::string& path, std::string_view bytes) {
    const fs::path target = pathFromUtf8(path);
    const fs::path tmp = temporaryPathFor(target);
    std::error_code ec = writeAll(tmp, bytes);
    if (!ec && fs::exists(target)) fs::permissions(tmp, fs::status(target).permissions(), ec);
    if (!ec && failBeforeRename) ec = std::make_error_code(std::errc::io_error);
    if (!ec) fs::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
    }
    return ec;
}

bool isWritableFileOrMissing(const std::string& path) {
    std::error_code ec;
    const auto st = fs::status(pathFromUtf8(path), ec);
    if (ec || st.type() == fs::file_type::not_found) return true;
    if (st.type() != fs::file_type::regular) return false;
    return (st.permissions() & kAnyWrite) != fs::perms::none;
}

bool isWritableDirectoryOf(const std::string& path) {
#ifdef _WIN32
    // Windows ignores the read-only mark of a folder when files are written.
    (void)path;
    return true;
#endif
    std::error_code ec;
    const auto st = fs::status(directoryOf(path), ec);
    if (ec || st.type() != fs::file_type::directory) return false;
    return (st.permissions() & kAnyWrite) != fs::perms::none;
}

void setFailBeforeRenameForTests(bool fail) {
    failBeforeRename = fail;
}

}  // namespace dravel::config
