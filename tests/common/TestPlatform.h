#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// What tests need from the operating system, the same on Linux and Windows.
namespace testplatform {

// The test program's own executable file.
std::filesystem::path runningExecutable();

int processId();

// Threads of this process that carry the name (as devices::nameThread gives it).
int threadsNamed(const std::string& name);

// Open file descriptors (Linux) or handles (Windows) of this process.
int openHandleCount();

// Visible to getenv() and to libraries that read the process environment.
void setEnvironmentVariable(const std::string& name, const std::string& value);
void unsetEnvironmentVariable(const std::string& name);

// Removes a directory tree, read-only files and folders included (Windows refuses to delete a
// read-only file; Linux needs the folder writable). Missing is fine.
void removeTree(const std::filesystem::path& directory);

// Whether a folder's permissions can forbid creating files in it. Windows ignores the read-only
// attribute of folders; only access control lists could, and Wine does not enforce those.
bool foldersCanBeReadOnly();

// Keeps a file open for reading as another program does while it reads the file or scans it
// for viruses: on Windows, sharing reading and writing but not its deletion or replacement.
class FileHold {
public:
    explicit FileHold(const std::filesystem::path& file);
    ~FileHold() { release(); }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    void release();

private:
    std::intptr_t handle_;
};

// Makes reading the file fail with "access denied" for this thread while it lives, as a file
// without read permission does. Linux takes the read permission away and, since root may read
// anything, lets the thread check files as an ordinary user meanwhile; Windows holds the file
// open without sharing it (Wine enforces no permissions).
class ReadRefusal {
public:
    explicit ReadRefusal(const std::filesystem::path& file);
    ~ReadRefusal();
    ReadRefusal(const ReadRefusal&) = delete;
    ReadRefusal& operator=(const ReadRefusal&) = delete;

private:
    std::filesystem::path file_;
    std::intptr_t state_;
};

// Marks a file hidden as Explorer does; false where files carry no such mark (Linux) or the
// file system keeps none.
bool markHidden(const std::filesystem::path& file);
bool isMarkedHidden(const std::filesystem::path& file);

// Whether such a hold keeps a file from being replaced (on Windows it does; elsewhere it never).
bool heldFilesResistReplacement();

// Whether the file system finds a file whatever the case of its name (Windows).
bool fileNamesIgnoreCase();

// Whether this Windows program runs under Wine (which has gaps the tests name).
bool runningUnderWine();

// The executable file name on this platform: "name" here, "name.exe" on Windows.
std::string executableName(const std::string& stem);

}  // namespace testplatform
