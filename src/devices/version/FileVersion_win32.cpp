// Windows: the system's version functions. File names are UTF-8 in the program, so the wide
// variants are used; the ANSI ones would garble any name outside the ANSI code page.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winver.h>

#include <optional>
#include <string>
#include <vector>

#include "devices/system/WideText.h"
#include "devices/version/FileVersionQuery.h"

namespace dravel::devices::detail {
namespace {

std::optional<std::wstring> ownExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::optional<FourPartVersion> versionOf(const std::wstring& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::byte> buffer(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, buffer.data())) {
        return std::nullopt;
    }
    void* value = nullptr;
    UINT valueSize = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", &value, &valueSize) || value == nullptr ||
        valueSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    return FourPartVersion{{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                            HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)}};
}

}  // namespace

std::optional<FourPartVersion> queryFileVersion(const std::string& utf8FileName) {
    return versionOf(toUtf16(utf8FileName));
}

std::optional<FourPartVersion> queryOwnFileVersion() {
    const auto path = ownExecutablePath();
    return path ? versionOf(*path) : std::nullopt;
}

}  // namespace dravel::devices::detail
