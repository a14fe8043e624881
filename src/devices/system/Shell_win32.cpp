#include <shellapi.h>
#include <windows.h>

#include <string>

#include "devices/system/Shell.h"

namespace dravel::devices {
namespace {

std::wstring wide(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// ShellExecute reports success with a value above 32.
bool shellOpen(const std::string& file, const std::string* parameters) {
    const std::wstring f = wide(file);
    const std::wstring p = parameters ? wide(*parameters) : std::wstring();
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        GetActiveWindow(), L"open", f.c_str(), parameters ? p.c_str() : nullptr, nullptr, SW_SHOW));
    return result > 32;
}

class Win32Shell : public Shell {
public:
    // ShellExecute answers as soon as the associated program is started.
    std::unique_ptr<DocumentOpening> openDocument(const std::string& path) override {
        return DocumentOpening::finished(shellOpen(path, nullptr));
    }
    bool startProgram(const std::string& program, const std::string& argument) override {
        return shellOpen(program, &argument);
    }
};

}  // namespace

std::unique_ptr<Shell> createPlatformShell() {
    return std::make_unique<Win32Shell>();
}

}  // namespace dravel::devices
