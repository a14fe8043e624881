#include "config/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <random>

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

std::atomic<bool> failingBeforeRename{false};
std::atomic<int> fixedTemporaryDigits{-1};

constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryDigits = 6;

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Earlier versions used one to six digits; every such name is a leftover.
bool isTemporaryName(std::string_view name, std::string_view targetName) {
    const std::size_t prefix = targetName.size() + kTemporaryMark.size();
    if (name.size() <= prefix || name.size() > prefix + kTemporaryDigits) return false;
    return name.substr(0, targetName.size()) == targetName &&
           name.substr(targetName.size(), kTemporaryMark.size()) == kTemporaryMark &&
           allDigits(name.substr(prefix));
}

std::string utf8NameOf(const fs::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::error_code notARegularFile() {
    return std::make_error_code(std::errc::not_supported);
}

void setFailBeforeRenameForTests(bool fail) {
    failingBeforeRename = fail;
}

void setTemporaryDigitsForTests(int digits) {
    fixedTemporaryDigits = digits;
}

namespace atomic_file {

fs::path temporaryPathFor(const fs::path& target) {
    static thread_local std::mt19937 random{std::random_device{}()};
    const int fixed = fixedTemporaryDigits;
    const unsigned number = fixed >= 0 ? static_cast<unsigned>(fixed) : random() % 1000000;
    std::string digits = std::to_string(number % 1000000);
    digits.insert(0, kTemporaryDigits - digits.size(), '0');
    fs::path tmp = target;
    tmp += std::string(kTemporaryMark) + digits;
    return tmp;
}

void removeLeftoverTemporaries(const fs::path& target) {
    const std::string targetName = utf8NameOf(target);
    std::error_code ec;
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isTemporaryName(utf8NameOf(it->path()), targetName)) continue;
        std::error_code ignored;
        if (!it->is_directory(ignored)) fs::remove(it->path(), ignored);
    }
}

bool hasWritePermission(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && (status.permissions() & kAnyWrite) != fs::perms::none;
}

bool failBeforeRename() {
    return failingBeforeRename;
}

}  // namespace atomic_file
}  // namespace dravel::config
