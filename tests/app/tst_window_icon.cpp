// Every window carries Dravel's own icon: on Windows the one the system shows
// in the title bar, the task bar and Alt+Tab, compared pixel for pixel with
// the executable's icon resource; elsewhere the icon Qt hands the window
// system, compared with the icon file.

#include <QImageReader>
#include <QTest>
#include <memory>

#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"
#include "dialogs/ComPort.h"
#include "support/TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#endif

using dravel::app::TMain;
using dravel::dialogs::TPort;

namespace {

// Empty when both images show the same picture at the same size (a channel
// may differ by 2 after premultiplying the alpha); else where not.
QString difference(const QImage& shown, const QImage& expected) {
    if (shown.isNull() || shown.size() != expected.size())
        return QStringLiteral("shown %1x%2, expected %3x%4")
            .arg(shown.width())
            .arg(shown.height())
            .arg(expected.width())
            .arg(expected.height());
    const QImage a = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) == 0 && qAlpha(q) == 0) continue;
            if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                std::abs(qBlue(p) - qBlue(q)) > 2 || std::abs(qAlpha(p) - qAlpha(q)) > 2)
                return QStringLiteral("pixel %1,%2 differs").arg(x).arg(y);
        }
    return {};
}

#ifdef _WIN32
QImage resourceIcon(int size) {
    const auto icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size, size, 0));
    const QImage image = icon ? QImage::fromHICON(icon) : QImage();
    if (icon) DestroyIcon(icon);
    return image;
}

// The icon Windows draws for the window: the one set on it, else its class's.
QImage shownIcon(HWND window, WPARAM which) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(
            GetClassLongPtrW(window, which == ICON_SMALL ? GCLP_HICONSM : GCLP_HICON));
    return icon ? QImage::fromHICON(icon) : QImage();
}

QString iconFault(QWidget& window) {
    const auto handle = reinterpret_cast<HWND>(window.winId());
    for (const auto& [which, metric] :
         {std::pair{ICON_SMALL, SM_CXSMICON}, {ICON_BIG, SM_CXICON}}) {
        const int size = GetSystemMetrics(metric);
        const QString fault =
            difference(shownIcon(handle, which).scaled(size, size), resourceIcon(size));
        if (!fault.isEmpty()) return QStringLiteral("%1 px icon: ").arg(size) + fault;
    }
    // A dialog frame (WS_EX_DLGMODALFRAME) draws no icon in its title bar.
    if (GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME)
        return QStringLiteral("the title bar leaves the icon out");
    return {};
}
#else
QString iconFault(QWidget& window) {
    QImageReader file(QStringLiteral(":/Dravel.ico"));
    const QImage expected = file.read();
    return difference(window.windowIcon().pixmap(expected.size()).toImage(), expected);
}
#endif

}  // namespace

class TestWindowIcon : public QObject {
    Q_OBJECT
private slots:
    void everyWindowShowsDravelsIcon() {
        dravel::testing::TempProgramDir dir;
        std::vector<std::unique_ptr<QWidget>> windows;
        windows.push_back(std::make_unique<TMain>());
        windows.push_back(std::make_unique<TPort>());
        for (const auto& window : windows) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            const QString fault = iconFault(*window);
            QVERIFY2(fault.isEmpty(), qPrintable(window->objectName() + ": " + fault));
        }
    }
};

int main(int argc, char** argv) {
    dravel::app::DravelApplication app(argc, argv);
    TestWindowIcon test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_icon.moc"
