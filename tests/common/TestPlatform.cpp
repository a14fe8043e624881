#include "common/TestPlatform.h"

namespace testplatform {

void removeTree(const std::filesystem::path& directory) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(directory, ec)) return;
    const auto writable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec;
    fs::permissions(directory, writable, fs::perm_options::add, ec);
    for (const auto& entry : fs::recursive_directory_iterator(directory, ec))
        fs::permissions(entry.path(), writable, fs::perm_options::add, ec);
    fs::remove_all(directory);
}

}  // namespace testplatform
