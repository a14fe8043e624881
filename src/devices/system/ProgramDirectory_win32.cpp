#include <windows.h>

#include <string>
#include <vector>

namespace dravel::devices {

// The path as UTF-8, so folders outside the ANSI code page still work.
std::string executablePath() {
    std::vector<wchar_t> wide(32768);
    const DWORD n = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (n == 0 || n >= wide.size()) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(n), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(n), utf8.data(), bytes, nullptr,
                        nullptr);
    return utf8;
}

}  // namespace dravel::devices
