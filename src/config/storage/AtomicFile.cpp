#include "config/storage/AtomicFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <fstream>
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

constexpr std::size_t kChecksumDigits = 8;
constexpr int kCompleteNameAttempts = 100;

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, int base) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The part after ".new": sequence, length and checksum, as checkedCopyPathFor
// writes them.
std::optional<atomic_file::Leftover> parseChecked(std::string_view rest) {
    const std::size_t firstDash = rest.find('-');
    const std::size_t secondDash = rest.find('-', firstDash + 1);
    if (firstDash != kTemporaryDigits || secondDash == std::string_view::npos ||
        rest.size() - secondDash - 1 != kChecksumDigits)
        return std::nullopt;
    const std::string_view sequence = rest.substr(0, firstDash);
    const std::string_view length = rest.substr(firstDash + 1, secondDash - firstDash - 1);
    const auto seq = allDigits(sequence) ? parseNumber<unsigned>(sequence, 10) : std::nullopt;
    const auto len = allDigits(length) ? parseNumber<std::uintmax_t>(length, 10) : std::nullopt;
    const auto crc = parseNumber<std::uint32_t>(rest.substr(secondDash + 1), 16);
    if (!seq || !len || !crc) return std::nullopt;
    return atomic_file::Leftover{{}, atomic_file::LeftoverKind::Checked, *seq, *len, *crc};
}

// Earlier versions used one to six digits after ".tmp", and ".new" with six
// digits for a complete copy that carries nothing to check it by.
std::optional<atomic_file::Leftover> leftoverKind(std::string_view name,
                                                  std::string_view targetName) {
    using atomic_file::LeftoverKind;
    if (hasMarkAndDigits(name, targetName, kTemporaryMark, 1))
        return atomic_file::Leftover{{}, LeftoverKind::Unfinished};
    if (hasMarkAndDigits(name, targetName, kCompleteMark, kTemporaryDigits))
        return atomic_file::Leftover{{}, LeftoverKind::Unchecked};
    if (name.substr(0, targetName.size()) != targetName ||
        name.substr(targetName.size(), kCompleteMark.size()) != kCompleteMark)
        return std::nullopt;
    return parseChecked(name.substr(targetName.size() + kCompleteMark.size()));
}

// The copy's bytes when they are what its name says, read whole.
std::optional<std::string> checkedBytesOf(const atomic_file::Leftover& copy) {
    if (copy.length > kMaxFileSize) return std::nullopt;
    std::ifstream in(copy.path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(copy.length) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || static_cast<std::uintmax_t>(in.gcount()) != copy.length) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(copy.length));
    if (atomic_file::crc32(bytes) != copy.checksum) return std::nullopt;
    return bytes;
}

fs::path directoryOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
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

std::error_code copyNotRestored() {
    return std::make_error_code(std::errc::state_not_recoverable);
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

fs::path checkedCopyPathFor(const fs::path& target, unsigned sequence, std::string_view bytes) {
    std::string digits = std::to_string(sequence % 1000000);
    digits.insert(0, kTemporaryDigits - digits.size(), '0');
    std::array<char, kChecksumDigits + 1> checksum{};
    const auto end =
        std::to_chars(checksum.data(), checksum.data() + kChecksumDigits, crc32(bytes), 16).ptr;
    std::string hex(checksum.data(), end);
    hex.insert(0, kChecksumDigits - hex.size(), '0');
    fs::path copy = target;
    copy += std::string(kCompleteMark) + digits + "-" + std::to_string(bytes.size()) + "-" + hex;
    return copy;
}

unsigned nextCopySequence(const fs::path& target) {
    unsigned highest = 0;
    for (const Leftover& leftover : leftoversOf(target))
        if (leftover.kind == LeftoverKind::Checked) highest = std::max(highest, leftover.sequence);
    return highest + 1;
}

bool isLeftoverName(std::string_view name, std::string_view targetName) {
    return leftoverKind(name, targetName).has_value();
}

std::vector<Leftover> leftoversOf(const fs::path& target) {
    const std::string targetName = utf8NameOf(target);
    std::vector<Leftover> found;
    std::error_code ec;
    for (fs::directory_iterator it(directoryOf(target), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (auto leftover = leftoverKind(utf8NameOf(it->path()), targetName)) {
            leftover->path = it->path();
            found.push_back(std::move(*leftover));
        }
    }
    return found;
}

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Newest first by sequence number; a copy that fails its check, or that a
// living save owns, is passed over.
std::optional<std::string> restoreNewestCompleteCopy(const fs::path& target) {
    std::vector<Leftover> copies = leftoversOf(target);
    std::erase_if(copies, [](const Leftover& l) { return l.kind != LeftoverKind::Checked; });
    std::sort(copies.begin(), copies.end(),
              [](const Leftover& a, const Leftover& b) { return a.sequence > b.sequence; });
    for (const Leftover& copy : copies) {
        std::optional<std::string> bytes = checkedBytesOf(copy);
        if (!bytes) continue;
        const std::error_code ec = restoreIfAbandoned(copy.path, target);
        if (!ec || entryExists(target)) return std::nullopt;
        if (ec != std::errc::device_or_resource_busy) return bytes;
    }
    return std::nullopt;
}

std::error_code markComplete(const fs::path& temporary, const fs::path& target,
                             std::string_view bytes, fs::path& complete) {
    const unsigned first = nextCopySequence(target);
    std::error_code ec;
    for (int attempt = 0; attempt < kCompleteNameAttempts; ++attempt) {
        complete = checkedCopyPathFor(target, first + static_cast<unsigned>(attempt), bytes);
        ec = renameWithoutReplacing(temporary, complete);
        if (ec != std::errc::file_exists) return ec;
    }
    return ec;
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
