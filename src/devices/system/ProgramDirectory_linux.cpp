#include <unistd.h>

#include <string>
#include <vector>

namespace dravel::devices {

std::string executablePath() {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace dravel::devices
