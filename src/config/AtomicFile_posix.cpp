#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "config/AtomicFile.h"

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

using namespace atomic_file;

// A name collision with a file planted there is tried again with new digits.
constexpr int kTemporaryNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, like any new file

std::error_code lastError() {
    return {errno, std::generic_category()};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // close() can report a delayed write failure, so it is checked.
    std::error_code close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code() : lastError();
    }

private:
    int fd_;
};

std::error_code readAll(int fd, std::string& bytes) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) return {};
        if (got < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxFileSize)
            return std::make_error_code(std::errc::not_enough_memory);
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

// The file a save writes: the target of a link, so the link stays a link.
std::error_code resolveSaveTarget(const fs::path& path, fs::path& target) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        target = path;
        return {};
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) return lastError();  // a dangling link
    target = resolved.get();
    return {};
}

// The directory's entry is made durable too, or a power cut after the
// rename could bring back the old file.
void syncDirectoryOf(const fs::path& target) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

// O_EXCL and O_NOFOLLOW: a file or link planted under the temporary name is
// never written through. The mode is the final one from the start.
Descriptor createTemporary(const fs::path& target, mode_t mode, fs::path& tmp) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        tmp = temporaryPathFor(target);
        const int fd =
            ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return Descriptor(fd);
    }
    return Descriptor(-1);
}

// Owner and group first: changing them may clear set-id bits, which the mode
// then restores. Only root may hand a file to another user; for anyone else
// the file stays theirs, as it would with any editor.
void takeOverOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    ::fchmod(fd, old.st_mode & 07777);
}

std::error_code writeTemporary(Descriptor& fd, std::string_view bytes) {
    if (auto ec = writeAll(fd.get(), bytes)) return ec;
    if (::fsync(fd.get()) != 0) return lastError();
    return fd.close();
}

std::error_code replaceWith(const fs::path& target, const struct stat* old,
                            std::string_view bytes) {
    fs::path tmp;
    Descriptor fd = createTemporary(target, old ? (old->st_mode & 07777) : kNewFileMode, tmp);
    if (!fd.valid()) return lastError();
    if (old) takeOverOwnerAndMode(fd.get(), *old);
    std::error_code ec = writeTemporary(fd, bytes);
    if (!ec && failBeforeRename()) ec = std::make_error_code(std::errc::io_error);
    if (!ec && ::rename(tmp.c_str(), target.c_str()) != 0) ec = lastError();
    if (ec) {
        ::unlink(tmp.c_str());
        return ec;
    }
    syncDirectoryOf(target);
    return {};
}

// What the path names, checked before opening: opening a device can act on
// it (a serial port raises its lines), so only regular files are opened.
std::error_code requireRegularFile(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(st.st_mode)) return notARegularFile();
    return {};
}

}  // namespace

std::error_code readRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    struct stat named;
    if (::stat(pathFromUtf8(path).c_str(), &named) != 0) return lastError();
    if (auto ec = requireRegularFile(named)) return ec;
    // Non-blocking and checked again, in case a FIFO took the file's place.
    Descriptor fd(::open(pathFromUtf8(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return lastError();
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return lastError();
    if (auto ec = requireRegularFile(st)) return ec;
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize)
        return std::make_error_code(std::errc::not_enough_memory);
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    return readAll(fd.get(), bytes);
}

std::error_code replaceFileContents(const std::string& path, std::string_view bytes) {
    fs::path target;
    if (auto ec = resolveSaveTarget(pathFromUtf8(path), target)) return ec;
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return lastError();
    const auto denied = std::make_error_code(std::errc::permission_denied);
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0)) return denied;
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!hasWritePermission(dir)) return denied;
    removeLeftoverTemporaries(target);
    return replaceWith(target, exists ? &old : nullptr, bytes);
}

}  // namespace dravel::config
