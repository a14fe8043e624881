#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dravel::config {

// Raised when the settings file cannot be replaced; the message names the file.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& path);
};

// One settings command's view of an INI file, following the rules of the
// Windows profile functions the alarm program reads it with: section and key
// names match without regard to case (Windows-1252 letters included) and to
// surrounding blanks, values are trimmed and lose one pair of surrounding
// quotes, integers may be written as 0x hexadecimal, every read has a default.
//
// The file is parsed once when the object is made; reads answer from that
// parse. Writes are collected and reach the disk together on commit(), as
// one atomic replacement of the file. Lines the program does not understand
// survive byte for byte. Texts are UTF-8 here and Windows-1252 on disk.
class IniFile {
public:
    explicit IniFile(std::string path);
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

    // Replaces the file with the written values; throws WriteError and leaves
    // the file as it was when the file or its directory cannot be written.
    void commit();

private:
    class Document;
    std::string path_;
    std::unique_ptr<Document> doc_;
    bool dirty_ = false;
};

// Path of Prog.ini in the given program directory (which ends in a separator).
std::string settingsFilePath(const std::string& programDirectory);

}  // namespace dravel::config
