#include <mutex>

#include "app/ProgramIcon.h"

// The icon file lives in this static library; its registration must be pulled
// in explicitly, from the global namespace.
static void registerIconFile() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(icon); });
}

namespace dravel::app {

QIcon programIcon() {
    registerIconFile();
    return QIcon(QStringLiteral(":/Dravel.ico"));
}

}  // namespace dravel::app
