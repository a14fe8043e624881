#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace dravel::config {

// A path from UTF-8 text, so folders outside the ANSI code page work on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8);

// Replaces the file at path with the given bytes: they are written to a
// temporary file in the same directory, flushed, and renamed over the old
// file, so a reader never sees a half-written file and a failure at any
// point leaves the old file whole. The old file's permissions are kept.
// Returns the failure, or an empty error code.
std::error_code replaceFileContents(const std::string& path, std::string_view bytes);

// False when the file exists and is marked read-only (no write permission
// bit at all, which also holds for root) or cannot be written.
bool isWritableFileOrMissing(const std::string& path);

// False when the directory that holds path is marked read-only.
bool isWritableDirectoryOf(const std::string& path);

// Tests make the next replacements fail after the temporary file was
// written and before the rename, as a crash or a full disk would.
void setFailBeforeRenameForTests(bool fail);

}  // namespace dravel::config
