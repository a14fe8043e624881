#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/system/Companion.h"
#include "devices/system/ProgramDirectory.h"

namespace fs = std::filesystem;

namespace dravel::devices {
namespace {

constexpr std::string_view kCompanionName = "kalvor";

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool isExecutableFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && access(entry.path().c_str(), X_OK) == 0;
}

}  // namespace

// Windows programs carry the name in any case; a Linux file system tells the
// cases apart, so the directory is searched. Several candidates ("Kalvor"
// and "kalvor") are settled by name order, so the choice never varies.
std::string companionProgramPath() {
    const std::string directory = programDirectory();
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(directory), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (equalsIgnoringAsciiCase(name, kCompanionName) && isExecutableFile(*it))
            found.push_back(name);
    }
    if (found.empty()) return directory + std::string(kCompanionName);
    return directory + *std::ranges::min_element(found);
}

}  // namespace dravel::devices
