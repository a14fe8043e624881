#include "devices/system/ProgramDirectory.h"

#include <mutex>

namespace dravel::devices {

std::string executablePath();  // per platform

namespace {
std::mutex overrideMutex;
std::string overrideDirectory;
}  // namespace

std::string programDirectory() {
    {
        std::lock_guard lock(overrideMutex);
        if (!overrideDirectory.empty()) return overrideDirectory;
    }
    const std::string exe = executablePath();
    const auto cut = exe.find_last_of("/\\:");
    return cut == std::string::npos ? std::string() : exe.substr(0, cut + 1);
}

void overrideProgramDirectoryForTests(const std::string& directory) {
    std::lock_guard lock(overrideMutex);
    overrideDirectory = directory;
    if (!overrideDirectory.empty() && overrideDirectory.back() != '/' &&
        overrideDirectory.back() != '\\')
        overrideDirectory += '/';
}

}  // namespace dravel::devices
