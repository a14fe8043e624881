#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

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
std::error_code readRegularFile(const std::string& path, std::string& bytes);

// The error of a file that exists but is no regular file.
std::error_code notARegularFile();

// Replaces the file at path with the given bytes: they are written to a new
// temporary file in the same directory, flushed to the disk and renamed over
// the old file, so a reader never sees a half-written file and a failure at
// any point leaves the old file whole. The old file's permissions, owner
// and group are kept. When path is a symbolic link the file it points to is
// replaced and the link stays; a dangling link is refused. A read-only file
// or directory, or a target that is no regular file, is refused with
// permission_denied. Temporary files left by an interrupted earlier save of
// the same file are removed. Returns the failure, or an empty error code.
std::error_code replaceFileContents(const std::string& path, std::string_view bytes);

// Tests make the next replacements fail after the temporary file was
// written and before the rename, as a crash or a full disk would.
void setFailBeforeRenameForTests(bool fail);

// Tests fix the digits of the temporary names (0 to 999999; -1 makes them
// random again), so that a file can be planted under the next one.
void setTemporaryDigitsForTests(int digits);

// Shared by the per-platform sources.
namespace atomic_file {

// A fresh name for the temporary file of a save of target: its own name
// followed by ".tmp" and six digits.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

// Deletes the temporary files that interrupted saves of target left behind.
void removeLeftoverTemporaries(const std::filesystem::path& target);

// False when the file is marked read-only: no write permission bit at all,
// which also holds for root.
bool hasWritePermission(const std::filesystem::path& path);

bool failBeforeRename();

}  // namespace atomic_file
}  // namespace dravel::config
