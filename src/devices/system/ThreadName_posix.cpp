#include <pthread.h>

#include <string>

#include "devices/system/ThreadName.h"

namespace dravel::devices {

void nameThread(std::thread& thread, const char* name) {
    // The kernel keeps at most 15 characters.
    pthread_setname_np(thread.native_handle(), std::string(name).substr(0, 15).c_str());
}

}  // namespace dravel::devices
