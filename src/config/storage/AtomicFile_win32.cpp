#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "config/storage/AtomicFile.h"

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

using namespace atomic_file;

constexpr int kTemporaryNameAttempts = 100;
// A virus scanner or the alarm program may hold the file open for a moment;
// the replacement is tried again for about a second before it is refused.
constexpr int kReplaceAttempts = 20;
// What a user or the unit's administrator may have set on the file and would
// miss after a save: hidden, system, kept out of the search index. Read-only
// files are refused before. Compression, encryption and the access control
// list come from the folder, as for any file created there, so a file
// replaced as one that is new gets what the Kalvor folder gives.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr auto kReplaceRetryPause = std::chrono::milliseconds(50);
constexpr DWORD kReadChunk = 1 << 16;

std::error_code windowsError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return std::make_error_code(std::errc::no_such_file_or_directory);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return std::make_error_code(std::errc::permission_denied);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::make_error_code(std::errc::no_space_on_device);
        case ERROR_TOO_MANY_OPEN_FILES:
            return std::make_error_code(std::errc::too_many_files_open);
        default:
            return {static_cast<int>(code), std::system_category()};
    }
}

std::error_code lastError() {
    return windowsError(GetLastError());
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

std::error_code readAll(HANDLE file, std::string& bytes) {
    char buffer[kReadChunk];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, kReadChunk, &got, nullptr)) return lastError();
        if (got == 0) return {};
        if (bytes.size() + got > kMaxFileSize)
            return std::make_error_code(std::errc::not_enough_memory);
        bytes.append(buffer, got);
    }
}

std::error_code writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD put = 0;
        if (!WriteFile(file, bytes.data(), chunk, &put, nullptr)) return lastError();
        bytes.remove_prefix(put);
    }
    return {};
}

// A save owns its temporary file by keeping it open from its creation until
// it is in place. The handle shares deletion, which the renames need, and
// reading, so that the alarm program can read the file the moment it is in
// place; a cleaner opens a leftover exclusively, which fails while any handle
// to it is open, so it never deletes or restores the file of a living save.
//
// CREATE_NEW: a file planted under the temporary name is never written
// through.
Handle createTemporary(const fs::path& target, DWORD attributes, fs::path& tmp) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        tmp = temporaryPathFor(target);
        Handle file(CreateFileW(tmp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, attributes, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return Handle(INVALID_HANDLE_VALUE);
}

bool isPassingRefusal(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// MoveFileExW renames in one step; ReplaceFileW works in several (under Wine
// the old file is moved aside first), and a kill between them left no file.
std::error_code moveIntoPlaceWithRetry(const fs::path& complete, const fs::path& target) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(complete.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD error = GetLastError();
        if (attempt == kReplaceAttempts || !isPassingRefusal(error)) return windowsError(error);
        runRetryingHook();
        std::this_thread::sleep_for(kReplaceRetryPause);
    }
}

// The handle stays open, and the file owned, until it is in place or deleted.
// A file that is there is replaced in one move: a kill leaves the old file and
// an unfinished copy, never a complete one that a later read could take for it.
std::error_code replaceWith(const fs::path& target, DWORD attributes, bool exists,
                            std::string_view bytes) {
    fs::path tmp;
    Handle file = createTemporary(target, attributes ? attributes : FILE_ATTRIBUTE_NORMAL, tmp);
    if (!file.valid()) return lastError();
    runWhileSavingHook();
    std::error_code ec = writeAll(file.get(), bytes);
    if (!ec && !FlushFileBuffers(file.get())) ec = lastError();
    if (!ec && failBeforeRename()) ec = std::make_error_code(std::errc::io_error);
    fs::path current = tmp;  // the name the file has
    if (!ec && !exists) {
        fs::path complete;
        if (!(ec = markComplete(tmp, target, bytes, complete))) current = complete;
    }
    if (!ec) ec = moveIntoPlaceWithRetry(current, target);
    if (ec) DeleteFileW(current.c_str());
    return ec;
}

// The attributes of a file that is there, or that a complete copy left by an
// interrupted save could be put in place of. notRestored: the bytes of a copy
// that should have been put in place and could not.
DWORD attributesRestoringACopy(const fs::path& file,
                               std::optional<std::string>* notRestored = nullptr) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND)
        return attributes;
    std::optional<std::string> refused = restoreNewestCompleteCopy(file);
    if (notRestored) *notRestored = std::move(refused);
    return GetFileAttributesW(file.c_str());
}

// A symbolic link stays: the file it leads to is replaced. A dangling link
// cannot be opened and is refused. (The library's own link queries fail on a
// missing file with this compiler, so the system is asked directly.)
std::error_code resolveSaveTarget(const fs::path& path, fs::path& target) {
    target = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return {};
    Handle link(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link.valid()) return lastError();
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(link.get(), final.data(),
                                                  static_cast<DWORD>(final.size()), 0);
        if (n == 0) return lastError();
        if (n < final.size()) {
            final.resize(n);
            break;
        }
        final.resize(n);
    }
    target = fs::path(final);
    return {};
}

}  // namespace

namespace atomic_file {

bool entryExists(const fs::path& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

void removeIfAbandoned(const fs::path& leftover) {
    const HANDLE h = CreateFileW(leftover.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// No save creates a name that exists, so a copy found abandoned stays so
// between the check and the rename.
std::error_code restoreIfAbandoned(const fs::path& leftover, const fs::path& target) {
    const auto busy = std::make_error_code(std::errc::device_or_resource_busy);
    const DWORD attributes = GetFileAttributesW(leftover.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return busy;
    if (!Handle(CreateFileW(leftover.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
             .valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION ? busy : windowsError(error);
    }
    return renameWithoutReplacing(leftover, target);
}

// Without MOVEFILE_REPLACE_EXISTING: a file saved meanwhile stays.
std::error_code renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return windowsError(error);
}

}  // namespace atomic_file

std::error_code readRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::optional<std::string> notRestored;
    if (attributesRestoringACopy(pathFromUtf8(path), &notRestored) == INVALID_FILE_ATTRIBUTES &&
        notRestored) {
        bytes = std::move(*notRestored);
        return copyNotRestored();
    }
    removeAbandonedLeftovers(pathFromUtf8(path));
    Handle file(CreateFileW(pathFromUtf8(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(pathFromUtf8(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::make_error_code(std::errc::is_a_directory);
        return windowsError(error);
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return notARegularFile();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return lastError();
    if (static_cast<std::uintmax_t>(size.QuadPart) > kMaxFileSize)
        return std::make_error_code(std::errc::not_enough_memory);
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    return readAll(file.get(), bytes);
}

// Windows ignores the read-only mark of a folder when files are written, so
// only the file's own mark is checked.
std::error_code replaceFileContents(const std::string& path, std::string_view bytes) {
    fs::path target;
    if (auto ec = resolveSaveTarget(pathFromUtf8(path), target)) return ec;
    const DWORD attributes = attributesRestoringACopy(target);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return lastError();
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return std::make_error_code(std::errc::permission_denied);
    removeAbandonedLeftovers(target);
    if (auto ec = replaceWith(target, exists ? attributes & kKeptAttributes : 0, exists, bytes))
        return ec;
    // Also what a save of the then missing file could not remove before.
    removeAbandonedLeftovers(target);
    return {};
}

}  // namespace dravel::config
