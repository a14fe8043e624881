#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/storage/History.h"

namespace dravel::config {

// Raised when the settings file cannot be replaced; the message names the file.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& path);
};

// Raised when the settings file exists but cannot be read: no regular file
// (a directory, a FIFO, a device), too big, or no permission. A missing file
// is no error; it reads as empty.
class ReadError : public std::runtime_error {
public:
    explicit ReadError(const std::string& path);
};

// Raised for a section or key name that would not read back as itself: with
// a line break, a leading "[" or ";", a "=" in a key or a "]" in a section.
// Names are the program's constants, so debug builds stop at an assertion.
class NameError : public std::runtime_error {
public:
    NameError(const std::string& path, std::string_view name);
};

// One settings command's view of an INI file, following the rules of the
// Windows profile functions the alarm program reads it with: section and key
// names match without regard to case (Windows-1252 letters included) and to
// surrounding blanks, values are trimmed and lose one pair of surrounding
// quotes, integers may be written as 0x hexadecimal, every read has a default.
//
// The file is read once when the object is made (throws ReadError when it
// exists but cannot be read); reads answer from that parse. Lines may end in
// CR LF, LF or a bare CR. Writes are collected and reach the disk together on
// commit(), as one atomic replacement of the file, applied in one pass. Lines
// the program does not understand survive byte for byte. Texts are UTF-8 here
// and Windows-1252 on disk.
class IniFile {
public:
    explicit IniFile(std::string path);
    // A file's content held in memory (a kept state), read only: it has no
    // path to be saved to.
    static IniFile fromContent(std::string bytes);
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    const std::string& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // True when writes are waiting for commit().
    bool hasPendingWrites() const;

    // Replaces the file with the written values, keeping the content it
    // replaces in the history under the command's name; throws WriteError and
    // leaves the file as it was when the file or its directory cannot be
    // written. Returns the note to show when the earlier state could not be
    // kept.
    HistoryWarning commit(std::string_view command);

private:
    IniFile() = default;
    class Document;
    std::string path_;
    std::unique_ptr<Document> doc_;
    bool dirty_ = false;
};

// Path of Prog.ini in the given program directory (which ends in a separator).
std::string settingsFilePath(const std::string& programDirectory);

}  // namespace dravel::config
