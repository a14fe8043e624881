// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "devices/system/Shell.h"
#include "devices/system/WideText.h"

namespace dravel::devices {
namespace {

// ShellExecute hands the parameters over as one command line, which the started program splits
// at blanks. An alarm code has none and goes unchanged; anything else is quoted by the rules of
// the C runtime's splitting, so that it still arrives as exactly one argument.
std::string asOneArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + '"';
}

// ShellExecute reports success with a value above 32.
bool shellOpen(const std::string& file, const std::string* parameters) {
    const std::wstring f = toUtf16(file);
    const std::wstring p = parameters ? toUtf16(asOneArgument(*parameters)) : std::wstring();
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
    // A folder of that name is no program: ShellExecute would open it in Explorer and say so.
    bool startProgram(const std::string& program, const std::string& argument) override {
        const DWORD attributes = GetFileAttributesW(toUtf16(program).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        return shellOpen(program, &argument);
    }
};

}  // namespace

std::unique_ptr<Shell> createPlatformShell() {
    return std::make_unique<Win32Shell>();
}

}  // namespace dravel::devices
