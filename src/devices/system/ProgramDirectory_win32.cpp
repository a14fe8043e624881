#include <windows.h>

#include <string>
#include <vector>

#include "devices/system/WideText.h"

namespace dravel::devices {

// The path as UTF-8, so folders outside the ANSI code page still work.
std::string executablePath() {
    std::vector<wchar_t> wide(32768);
    const DWORD n = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (n == 0 || n >= wide.size()) return {};
    return fromUtf16(std::wstring_view(wide.data(), n));
}

}  // namespace dravel::devices
