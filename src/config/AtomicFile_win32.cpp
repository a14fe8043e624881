#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "config/AtomicFile.h"

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

using namespace atomic_file;

constexpr int kTemporaryNameAttempts = 100;
// A virus scanner or the alarm program may hold the file open for a moment;
// the replacement is tried again for about a second before it is refused.
constexpr int kReplaceAttempts = 20;
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
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    std::error_code close() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) ? std::error_code() : lastError();
    }

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

// CREATE_NEW: a file planted under the temporary name is never written through.
Handle createTemporary(const fs::path& target, fs::path& tmp) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        tmp = temporaryPathFor(target);
        const HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return Handle(h);
    }
    return Handle(INVALID_HANDLE_VALUE);
}

std::error_code writeTemporary(Handle& file, std::string_view bytes) {
    if (auto ec = writeAll(file.get(), bytes)) return ec;
    if (!FlushFileBuffers(file.get())) return lastError();
    return file.close();
}

// ReplaceFileW keeps the old file's attributes, owner and permissions.
bool moveIntoPlace(const fs::path& tmp, const fs::path& target, bool exists) {
    if (exists)
        return ReplaceFileW(target.c_str(), tmp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr);
    return MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
}

std::error_code moveIntoPlaceWithRetry(const fs::path& tmp, const fs::path& target, bool exists) {
    for (int attempt = 1;; ++attempt) {
        if (moveIntoPlace(tmp, target, exists)) return {};
        const DWORD error = GetLastError();
        if (attempt == kReplaceAttempts) return windowsError(error);
        std::this_thread::sleep_for(kReplaceRetryPause);
    }
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

std::error_code readRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
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
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return lastError();
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return std::make_error_code(std::errc::permission_denied);
    removeLeftoverTemporaries(target);

    fs::path tmp;
    Handle file = createTemporary(target, tmp);
    if (!file.valid()) return lastError();
    std::error_code ec = writeTemporary(file, bytes);
    if (!ec && failBeforeRename()) ec = std::make_error_code(std::errc::io_error);
    if (!ec) ec = moveIntoPlaceWithRetry(tmp, target, exists);
    if (ec) DeleteFileW(tmp.c_str());
    return ec;
}

}  // namespace dravel::config
