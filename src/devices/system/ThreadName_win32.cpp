#include <windows.h>

#include <string>

#include "devices/system/ThreadName.h"

namespace dravel::devices {

void nameThread(std::thread& thread, const char* name) {
#ifdef _MSC_VER
    const std::string narrow(name);
    SetThreadDescription(thread.native_handle(),
                         std::wstring(narrow.begin(), narrow.end()).c_str());
#else
    // MinGW's std::thread carries a pthread id, not a Win32 handle.
    (void)thread;
    (void)name;
#endif
}

}  // namespace dravel::devices
