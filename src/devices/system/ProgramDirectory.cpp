#include "devices/system/ProgramDirectory.h"

#include <mutex>
#include <utility>

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

std::string replaceProgramDirectory(std::string directory) {
    if (!directory.empty() && directory.back() != '/' && directory.back() != '\\') directory += '/';
    std::lock_guard lock(overrideMutex);
    return std::exchange(overrideDirectory, std::move(directory));
}

}  // namespace dravel::devices
