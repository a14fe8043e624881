#include "config/AtomicFile.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

std::atomic<bool> failBeforeRename{false};

constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write;

fs::path temporaryPathFor(const fs::path& target) {
    std::random_device random;
    fs::path tmp = target;
    tmp += ".tmp" + std::to_string(random() % 1000000);
    return tmp;
}

std::error_code writeAll(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return std::make_error_code(std::errc::permission_denied);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    const bool ok = out.good();
    out.close();
    if (!ok || out.fail()) return std::make_error_code(std::errc::no_space_on_device);
    return {};
}

fs::path directoryOf(const std::string& path) {
    fs::path dir = fs::path(path).parent_path();
    return dir.empty() ? fs::path(".") : dir;
}

}  // namespace

std::error_code replaceFileContents(const std::string& path, std::string_view bytes) {
    const fs::path target(path);
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
    const auto st = fs::status(path, ec);
    if (ec || st.type() == fs::file_type::not_found) return true;
    if (st.type() != fs::file_type::regular) return false;
    return (st.permissions() & kAnyWrite) != fs::perms::none;
}

bool isWritableDirectoryOf(const std::string& path) {
    std::error_code ec;
    const auto st = fs::status(directoryOf(path), ec);
    if (ec || st.type() != fs::file_type::directory) return false;
    return (st.permissions() & kAnyWrite) != fs::perms::none;
}

void setFailBeforeRenameForTests(bool fail) { failBeforeRename = fail; }

}  // namespace dravel::config
