#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "config/storage/AtomicFile.h"

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
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

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

bool stillLinkedAt(int fd, const fs::path& path) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// A save owns its temporary file by an exclusive lock that it holds until the
// file is in place (flock locks belong to the open file, so two saves of one
// process exclude each other too). Whoever takes a leftover's lock checks
// that the name still leads to the file locked, the save after creating it
// as much as a cleaner: a leftover is deleted or restored only while locked,
// and a save writes only a file that it locked under its name.
// A file system without locks leaves saves unprotected from each other, as
// they were before, rather than failing them.
bool lockIfStillLinked(int fd, const fs::path& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
    return stillLinkedAt(fd, path);
}

// Never follows a link; read access is not needed for a lock.
Descriptor openForLock(const fs::path& path) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDONLY | kFlags);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | kFlags);
    return Descriptor(fd);
}

// O_EXCL and O_NOFOLLOW: a file or link planted under the temporary name is
// never written through. The mode is the final one from the start.
Descriptor createTemporary(const fs::path& target, mode_t mode, fs::path& tmp) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        tmp = temporaryPathFor(target);
        Descriptor fd(
            ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!fd.valid()) {
            if (errno == EEXIST) continue;
            return fd;
        }
        if (lockIfStillLinked(fd.get(), tmp)) return fd;  // else a cleaner took it at once
    }
    errno = EEXIST;
    return Descriptor(-1);
}

// Owner and group first: changing them may clear set-id bits, which the mode
// then restores. Only root may hand a file to another user; for anyone else
// the file stays theirs, as it would with any editor.
void takeOverOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    ::fchmod(fd, old.st_mode & 07777);
}

std::error_code writeAndFlush(int fd, std::string_view bytes) {
    if (auto ec = writeAll(fd, bytes)) return ec;
    return ::fsync(fd) == 0 ? std::error_code() : lastError();
}

// The lock is held from the creation of the temporary file until it is in
// place or deleted; closing the descriptor releases it. fsync has reported
// any failure to write by then, so the close is not checked. A file that is
// there is replaced in one rename: a kill leaves the old file and an
// unfinished copy, never a complete one that a later read could take for it.
std::error_code replaceWith(const fs::path& target, const struct stat* old,
                            std::string_view bytes) {
    fs::path tmp;
    Descriptor fd = createTemporary(target, old ? (old->st_mode & 07777) : kNewFileMode, tmp);
    if (!fd.valid()) return lastError();
    if (old) takeOverOwnerAndMode(fd.get(), *old);
    runWhileSavingHook();
    std::error_code ec = writeAndFlush(fd.get(), bytes);
    if (!ec && failBeforeRename()) ec = std::make_error_code(std::errc::io_error);
    fs::path current = tmp;  // the name the file has
    if (!ec && !old) {
        fs::path complete;
        if (!(ec = markComplete(tmp, target, bytes, complete))) current = complete;
    }
    if (!ec && ::rename(current.c_str(), target.c_str()) != 0) ec = lastError();
    if (ec) {
        ::unlink(current.c_str());
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

// stat() of a file that is there, or that a complete copy left by an
// interrupted save could be put in place of. A dangling link stays missing.
// notRestored: the bytes of a copy that should have been put in place and
// could not.
bool statRestoringACopy(const fs::path& file, struct stat& st,
                        std::optional<std::string>* notRestored = nullptr) {
    if (::stat(file.c_str(), &st) == 0) return true;
    if (errno != ENOENT) return false;
    if (entryExists(file)) {
        errno = ENOENT;
        return false;
    }
    std::optional<std::string> refused = restoreNewestCompleteCopy(file);
    if (notRestored) *notRestored = std::move(refused);
    if (::stat(file.c_str(), &st) != 0) return false;
    syncDirectoryOf(file);
    return true;
}

}  // namespace

namespace atomic_file {

bool entryExists(const fs::path& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

void removeIfAbandoned(const fs::path& leftover) {
    struct stat st;
    if (::lstat(leftover.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return;
    // Saves create only regular files: anything else is nobody's temporary.
    if (!S_ISREG(st.st_mode)) {
        ::unlink(leftover.c_str());
        return;
    }
    Descriptor fd = openForLock(leftover);
    if (fd.valid() && lockIfStillLinked(fd.get(), leftover)) ::unlink(leftover.c_str());
}

std::error_code restoreIfAbandoned(const fs::path& leftover, const fs::path& target) {
    const auto busy = std::make_error_code(std::errc::device_or_resource_busy);
    Descriptor fd = openForLock(leftover);
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return busy;
    if (!lockIfStillLinked(fd.get(), leftover)) return busy;
    return renameWithoutReplacing(leftover, target);
}

// Does not replace a file that is there: of two restorers only one wins, and
// a file saved meanwhile stays.
std::error_code renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return lastError();
    // A file system without it: a hard link never replaces either.
    if (::link(from.c_str(), to.c_str()) != 0) return lastError();
    ::unlink(from.c_str());
    return {};
}

}  // namespace atomic_file

std::error_code readRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const fs::path file = pathFromUtf8(path);
    struct stat named;
    std::optional<std::string> notRestored;
    if (!statRestoringACopy(file, named, &notRestored)) {
        if (!notRestored) return lastError();
        bytes = std::move(*notRestored);
        return copyNotRestored();
    }
    if (auto ec = requireRegularFile(named)) return ec;
    removeAbandonedLeftovers(file);
    // Non-blocking and checked again, in case a FIFO took the file's place.
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
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
    const bool exists = statRestoringACopy(target, old);
    if (!exists && errno != ENOENT) return lastError();
    const auto denied = std::make_error_code(std::errc::permission_denied);
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0)) return denied;
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!hasWritePermission(dir)) return denied;
    removeAbandonedLeftovers(target);
    if (auto ec = replaceWith(target, exists ? &old : nullptr, bytes)) return ec;
    // Also what a save of the then missing file could not remove before.
    removeAbandonedLeftovers(target);
    return {};
}

}  // namespace dravel::config
