#include "devices/system/Shell.h"

namespace dravel::devices {
namespace {
std::unique_ptr<Shell>& instance() {
    static std::unique_ptr<Shell> shell = createPlatformShell();
    return shell;
}
}  // namespace

Shell& shell() { return *instance(); }

std::unique_ptr<Shell> replaceShell(std::unique_ptr<Shell> replacement) {
    std::swap(instance(), replacement);
    return replacement;
}

}  // namespace dravel::devices
