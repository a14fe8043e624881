#include <windows.h>

#include <stdlib.h>
#include <tlhelp32.h>

#include <vector>

#include "common/TestPlatform.h"

namespace testplatform {

std::filesystem::path runningExecutable() {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::filesystem::path(std::wstring(buffer.data(), n));
}

namespace {

using GetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE, PWSTR*);

std::wstring descriptionOf(DWORD threadId) {
    static const auto get = reinterpret_cast<GetThreadDescriptionFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    std::wstring description;
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
    if (thread == nullptr) return description;
    PWSTR text = nullptr;
    if (get && SUCCEEDED(get(thread, &text)) && text) {
        description = text;
        LocalFree(text);
    }
    CloseHandle(thread);
    return description;
}

}  // namespace

int threadsNamed(const std::string& name) {
    const std::wstring wanted(name.begin(), name.end());
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int n = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId() &&
            descriptionOf(entry.th32ThreadID) == wanted)
            ++n;
    }
    CloseHandle(snapshot);
    return n;
}

int openHandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<int>(count);
}

int processId() {
    return static_cast<int>(GetCurrentProcessId());
}

// _putenv_s updates the C runtime's copy and the process environment block that SDL and
// child processes read.
void setEnvironmentVariable(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

void unsetEnvironmentVariable(const std::string& name) {
    _putenv_s(name.c_str(), "");
}

FileHold::FileHold(const std::filesystem::path& file)
    : handle_(reinterpret_cast<std::intptr_t>(
          CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

void FileHold::release() {
    const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

// Sharing nothing: every other opening fails with a sharing violation, which the program
// reports as "access denied".
ReadRefusal::ReadRefusal(const std::filesystem::path& file)
    : file_(file),
      state_(reinterpret_cast<std::intptr_t>(CreateFileW(
          file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
}

ReadRefusal::~ReadRefusal() {
    const HANDLE handle = reinterpret_cast<HANDLE>(state_);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

bool markHidden(const std::filesystem::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(file.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN) &&
           isMarkedHidden(file);
}

bool isMarkedHidden(const std::filesystem::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

bool heldFilesResistReplacement() {
    return true;
}

bool foldersCanBeReadOnly() {
    return false;
}

bool fileNamesIgnoreCase() {
    return true;
}

bool runningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string executableName(const std::string& stem) {
    return stem + ".exe";
}

}  // namespace testplatform
