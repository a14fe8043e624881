#include <windows.h>

#include <pthread.h>

#include "devices/system/ThreadName.h"
#include "devices/system/WideText.h"

namespace dravel::devices {
namespace {

using SetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE, PCWSTR);

// Present from Windows 10 1607 on; older systems run without thread names.
SetThreadDescriptionFunction setThreadDescription() {
    static const auto function =
        reinterpret_cast<SetThreadDescriptionFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    return function;
}

// MinGW's std::thread runs on winpthreads, whose thread id leads to the Win32 handle.
HANDLE win32Handle(std::thread& thread) {
    return static_cast<HANDLE>(pthread_gethandle(thread.native_handle()));
}

}  // namespace

void nameThread(std::thread& thread, const char* name) {
    if (const auto set = setThreadDescription()) set(win32Handle(thread), toUtf16(name).c_str());
}

}  // namespace dravel::devices
