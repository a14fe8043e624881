#include "ui/OpenDocument.h"

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>

#include "devices/system/Shell.h"
#include "ui/ErrorGuard.h"

namespace dravel::ui {
namespace {
// How often the window looks whether the opener has finished.
constexpr auto kPollInterval = std::chrono::milliseconds(50);
}  // namespace

void openDocument(QWidget* window, const std::string& utf8Path, std::function<void()> onFailure) {
    std::shared_ptr<devices::DocumentOpening> opening = devices::shell().openDocument(utf8Path);
    if (const auto outcome = opening->outcome()) {
        if (!*outcome) onFailure();
        return;
    }
    auto* poll = new QTimer(window);
    poll->setInterval(kPollInterval);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, opening, onFailure] {
        const auto outcome = opening->outcome();
        if (!outcome) return;
        poll->stop();
        poll->deleteLater();
        if (!*outcome) guarded(window, onFailure);
    });
    poll->start();
}

}  // namespace dravel::ui
