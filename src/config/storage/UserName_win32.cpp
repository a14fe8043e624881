#include <windows.h>

#include <lmcons.h>

#include "config/storage/History.h"

namespace dravel::config::history {

std::string systemUserName() {
    wchar_t name[UNLEN + 1];
    DWORD length = UNLEN + 1;
    if (!GetUserNameW(name, &length) || length == 0) return {};
    const int wide = static_cast<int>(length - 1);  // without the terminating zero
    const int size = WideCharToMultiByte(CP_UTF8, 0, name, wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, wide, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace dravel::config::history
