#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The file layer under Prog.ini and Alarmierung.dat: reading a whole file
// and replacing it atomically. The operating-system calls live in
// AtomicFile_posix.cpp and AtomicFile_win32.cpp.
namespace dravel::config {

// A path from UTF-8 text, so folders outside the ANSI code page work on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8);

// Neither file is ever anywhere near this size; a bigger one is refused
// rather than read into memory.
inline constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{256} << 20;

// Reads the whole of a regular file into bytes. Opening never blocks (a FIFO
// named like the file would hang the program otherwise); directories give
// is_a_directory, FIFOs, devices and sockets not_a_regular_file(), a file
// above kMaxFileSize not_enough_memory, a missing file
// no_such_file_or_directory. A link to a regular file is read.
// Copies that interrupted saves left beside a file that is there are out of
// date and removed. When the file is missing and a save that created it was
// interrupted after its copy was complete, the newest copy whose length and
// checksum match its name is put in its place first and read; when it cannot
// be put there (a read-only folder), its bytes are read and copyNotRestored()
// says so.
std::error_code readRegularFile(const std::string& path, std::string& bytes);

// The error of a missing file whose complete copy could not take its place.
std::error_code copyNotRestored();

// The error of a file that exists but is no regular file.
std::error_code notARegularFile();

// Replaces the file at path with the given bytes: they are written to a new
// temporary file in the same directory, flushed to the disk and renamed over
// the old file, so a reader never sees a half-written file and a failure or a
// kill at any point leaves the old file whole. A save that creates the file
// renames its temporary file first to a name that marks it complete and holds
// a sequence number, its length and its checksum, so that a kill before the
// last rename leaves a copy that a later read can check and restore. A missing
// file gets the newest checked copy of an interrupted save back first (see
// readRegularFile). The old file's permissions, owner and group (Windows: its
// attributes) are kept. When path is a symbolic link the file it points to is
// replaced and the link stays; a dangling link is refused. A read-only file or
// directory, or a target that is no regular file, is refused with
// permission_denied. The temporary files of interrupted saves are removed
// once the file is in place; a temporary file that a living save still owns
// (it holds a lock on it while it lives) is left to it. Returns the failure,
// or an empty code.
std::error_code replaceFileContents(const std::string& path, std::string_view bytes);

// Tests put a stand-in in; hands back what was there. True makes the next
// replacements fail after the temporary file was written and before the
// rename, as a crash or a full disk would; false saves normally again.
bool replaceFailBeforeRename(bool fail);

// Tests put a stand-in in; hands back what was there. Fixed digits of the
// temporary names (0 to 999999) let a file be planted under the next one;
// no value makes them random again.
std::optional<int> replaceTemporaryDigits(std::optional<int> digits);

// Tests put a stand-in in; hands back what was there. It runs after a save
// created and locked its temporary file and before it writes, to act while
// the save is alive; empty runs nothing.
using WhileSavingHook = std::function<void()>;
WhileSavingHook replaceWhileSaving(WhileSavingHook hook);

// Tests put a stand-in in; hands back what was there. It runs each time
// another program's hold refused the replacement and the save is about to
// try again (Windows); empty runs nothing.
using RetryingHook = std::function<void()>;
RetryingHook replaceRetrying(RetryingHook hook);

// Shared by the per-platform sources.
namespace atomic_file {

// A fresh name for the temporary file of a save of target: its own name
// followed by ".tmp" and six digits. Such a file may be incomplete.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

// The name a created file's temporary file takes once its bytes are complete
// and flushed: ".new", the sequence number (six digits), "-", the length in
// decimal digits, "-", the CRC-32 of the bytes in eight hexadecimal digits.
// The sequence orders copies without trusting any clock.
std::filesystem::path checkedCopyPathFor(const std::filesystem::path& target, unsigned sequence,
                                         std::string_view bytes);

// One more than the highest sequence number of the checked copies of target.
unsigned nextCopySequence(const std::filesystem::path& target);

// Unfinished: ".tmp", maybe incomplete. Checked: a complete copy named as
// checkedCopyPathFor does. Unchecked: ".new" and six digits, the complete
// copies of earlier versions, which carry nothing to check them by.
enum class LeftoverKind { Unfinished, Checked, Unchecked };

struct Leftover {
    std::filesystem::path path;
    LeftoverKind kind;
    unsigned sequence = 0;       // Checked only
    std::uintmax_t length = 0;   // Checked only
    std::uint32_t checksum = 0;  // Checked only
};

// The temporary files of saves of target in its directory, of any save,
// living or not.
std::vector<Leftover> leftoversOf(const std::filesystem::path& target);

// Whether name is one of the temporary files a save of a file named
// targetName leaves while it runs.
bool isLeftoverName(std::string_view name, std::string_view targetName);

std::uint32_t crc32(std::string_view bytes);

// When target is missing: puts the newest checked leftover that no living
// save owns and whose bytes match its name in its place. Never replaces a
// file that appeared meanwhile. Returns the bytes of a copy that should have
// taken target's place and could not (a read-only folder), else nothing.
std::optional<std::string> restoreNewestCompleteCopy(const std::filesystem::path& target);

// Deletes the temporary files that no living save owns: anything that is no
// regular file always, regular files only while target exists (a leftover
// may be the only copy otherwise).
void removeAbandonedLeftovers(const std::filesystem::path& target);

// Per platform: whether something is at path (also a dangling link).
bool entryExists(const std::filesystem::path& path);

// Per platform: deletes the leftover unless a living save owns it.
void removeIfAbandoned(const std::filesystem::path& leftover);

// Per platform: renames a complete leftover to target when it is a regular
// file that no living save owns and target does not exist. An empty code when
// done; device_or_resource_busy when a living save owns it or it is no
// regular file; else why the rename failed.
std::error_code restoreIfAbandoned(const std::filesystem::path& leftover,
                                   const std::filesystem::path& target);

// Per platform: renames without replacing what is at to.
std::error_code renameWithoutReplacing(const std::filesystem::path& from,
                                       const std::filesystem::path& to);

// Renames a created file's complete temporary file to a free checked-copy
// name, never replacing one; complete is the name it took.
std::error_code markComplete(const std::filesystem::path& temporary,
                             const std::filesystem::path& target, std::string_view bytes,
                             std::filesystem::path& complete);

// False when the file is marked read-only: no write permission bit at all,
// which also holds for root.
bool hasWritePermission(const std::filesystem::path& path);

bool failBeforeRename();
void runWhileSavingHook();
void runRetryingHook();

}  // namespace atomic_file
}  // namespace dravel::config
