#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "config/storage/History.h"

namespace dravel::config::history {

// The login name of the session; a program started without a terminal (from
// a desktop menu) has none, so the account's name follows.
std::string systemUserName() {
    char name[256];
    if (::getlogin_r(name, sizeof name) == 0) return name;
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

}  // namespace dravel::config::history
