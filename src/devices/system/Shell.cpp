#include "devices/system/Shell.h"

namespace dravel::devices {
namespace {
class FinishedOpening : public DocumentOpening {
public:
    explicit FinishedOpening(bool opened) : opened_(opened) {}
    std::optional<bool> outcome() override { return opened_; }

private:
    bool opened_;
};

std::unique_ptr<Shell>& instance() {
    static std::unique_ptr<Shell> shell = createPlatformShell();
    return shell;
}
}  // namespace

std::unique_ptr<DocumentOpening> DocumentOpening::finished(bool opened) {
    return std::make_unique<FinishedOpening>(opened);
}

Shell& shell() {
    return *instance();
}

std::unique_ptr<Shell> replaceShell(std::unique_ptr<Shell> replacement) {
    if (!replacement) replacement = createPlatformShell();
    std::swap(instance(), replacement);
    return replacement;
}

}  // namespace dravel::devices
