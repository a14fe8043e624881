#include "devices/system/Companion.h"
#include "devices/system/ProgramDirectory.h"

namespace dravel::devices {

// Windows finds the file whatever the case of its name.
std::string companionProgramPath() {
    return programDirectory() + "kalvor.exe";
}

}  // namespace dravel::devices
