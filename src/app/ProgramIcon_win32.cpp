#include <windows.h>

#include <QImage>
#include <QPixmap>

#include "app/ProgramIcon.h"

namespace dravel::app {

// The frames Windows itself would take from the resource for the title bar
// (small), Alt+Tab (large) and the task bar's big views, so the icon Qt hands
// to each window is the resource's, pixel for pixel.
QIcon programIcon() {
    QIcon icon;
    const HMODULE self = GetModuleHandleW(nullptr);
    for (const int size : {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON), 48, 256}) {
        const auto handle = static_cast<HICON>(
            LoadImageW(self, L"IDI_ICON1", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        if (!handle) continue;
        icon.addPixmap(QPixmap::fromImage(QImage::fromHICON(handle)));
        DestroyIcon(handle);
    }
    return icon;
}

}  // namespace dravel::app
