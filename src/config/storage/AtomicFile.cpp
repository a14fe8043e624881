#include "config/storage/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <random>
#include <utility>

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

std::atomic<bool> failingBeforeRename{false};
std::atomic<int> fixedTemporaryDigits{-1};
std::mutex whileSavingMutex;
WhileSavingHook whileSaving;
std::mutex retryingMutex;
RetryingHook retrying;

// ".tmp": being written, maybe incomplete; ".new": complete and flushed.
constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::string_view kCompleteMark = ".new";
constexpr std::size_t kTemporaryDigits = 6;

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// name is targetName, the mark and minDigits to kTemporaryDigits digits.
bool hasMarkAndDigits(std::string_view name, std::string_view targetName, std::string_view mark,
                      std::size_t minDigits) {
    const std::size_t prefix = targetName.size() + mark.size();
    if (name.size() < prefix + minDigits || name.size() > prefix + kTemporaryDigits) return false;
    return name.substr(0, targetName.size()) == targetName &&
           name.substr(targetName.size(), mark.size()) == mark && allDigits(name.substr(prefix));
}

// Earlier versions used one to six digits after ".tmp"; every such name is a
// leftover of which nobody knows whether it is complete. Complete copies
// always have six digits.
std::optional<atomic_file::LeftoverKind> leftoverKind(std::string_view name,
                                                      std::string_view targetName) {
    if (hasMarkAndDigits(name, targetName, kTemporaryMark, 1))
        return atomic_file::LeftoverKind::Unfinished;
    if (hasMarkAndDigits(name, targetName, kCompleteMark, kTemporaryDigits))
        return atomic_file::LeftoverKind::Complete;
    return std::nullopt;
}

fs::path directoryOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// A copy whose time cannot be read counts as the oldest.
fs::file_time_type modificationTime(const fs::path& path) {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(path, ec);
    return ec ? fs::file_time_type::min() : time;
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

bool replaceFailBeforeRename(bool fail) {
    return failingBeforeRename.exchange(fail);
}

std::optional<int> replaceTemporaryDigits(std::optional<int> digits) {
    const int previous = fixedTemporaryDigits.exchange(digits.value_or(-1));
    return previous >= 0 ? std::optional(previous) : std::nullopt;
}

WhileSavingHook replaceWhileSaving(WhileSavingHook hook) {
    const std::lock_guard lock(whileSavingMutex);
    return std::exchange(whileSaving, std::move(hook));
}

RetryingHook replaceRetrying(RetryingHook hook) {
    const std::lock_guard lock(retryingMutex);
    return std::exchange(retrying, std::move(hook));
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

fs::path completePathFor(const fs::path& temporary) {
    std::u8string name = temporary.filename().u8string();
    const std::size_t at = name.size() - kTemporaryDigits - kTemporaryMark.size();
    name.replace(at, kTemporaryMark.size(), u8".new");
    return temporary.parent_path() / fs::path(name);
}

std::vector<Leftover> leftoversOf(const fs::path& target) {
    const std::string targetName = utf8NameOf(target);
    std::vector<Leftover> found;
    std::error_code ec;
    for (fs::directory_iterator it(directoryOf(target), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (const auto kind = leftoverKind(utf8NameOf(it->path()), targetName))
            found.push_back({it->path(), *kind});
    }
    return found;
}

void restoreNewestCompleteCopy(const fs::path& target) {
    std::vector<std::pair<fs::file_time_type, fs::path>> copies;
    for (const Leftover& leftover : leftoversOf(target))
        if (leftover.kind == LeftoverKind::Complete)
            copies.emplace_back(modificationTime(leftover.path), leftover.path);
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return a > b; });
    // A copy that a living save owns, or one that is no regular file, is
    // passed over.
    for (const auto& [time, copy] : copies)
        if (restoreIfAbandoned(copy, target) || entryExists(target)) return;
}

void removeAbandonedLeftovers(const fs::path& target) {
    const bool targetExists = entryExists(target);
    for (const Leftover& leftover : leftoversOf(target)) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(leftover.path, ec);
        if (ec || fs::is_directory(status)) continue;
        if (fs::is_regular_file(status) && !targetExists) continue;
        removeIfAbandoned(leftover.path);
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

void runWhileSavingHook() {
    WhileSavingHook hook;
    {
        const std::lock_guard lock(whileSavingMutex);
        hook = whileSaving;
    }
    if (hook) hook();
}

void runRetryingHook() {
    RetryingHook hook;
    {
        const std::lock_guard lock(retryingMutex);
        hook = retrying;
    }
    if (hook) hook();
}

}  // namespace atomic_file
}  // namespace dravel::config
