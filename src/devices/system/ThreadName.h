#pragma once

#include <thread>

namespace dravel::devices {

// Names a thread for debuggers, process listings and tests.
void nameThread(std::thread& thread, const char* name);

}  // namespace dravel::devices
