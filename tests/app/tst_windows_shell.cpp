// What Windows itself shows of the program: the icon of every window, pixel
// for pixel the executable's resource, and the real file dialogs, which leave
// HKEY_CURRENT_USER as they found it, show every filter as written and offer
// the documents folder for saving. Each dialog is answered by a timer: the save
// dialogs with their suggested name, the open dialogs with "Abbrechen".

#include <windows.h>

#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "extras/ExtrasMenu.h"
#include "support/TestSupport.h"
#include "ui/SoundPreview.h"

using namespace dravel;

namespace {

// The same picture, each channel within 2 (premultiplying the alpha may round).
bool samePicture(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            for (int shift : {0, 8, 16, 24})
                if (std::abs(int((x.pixel(col, row) >> shift) & 0xFF) -
                             int((y.pixel(col, row) >> shift) & 0xFF)) > 2)
                    return false;
    return true;
}

// The icon Windows draws for a window of this size: the one set on it, else its class's.
bool showsTheResourceIcon(HWND window, WPARAM which, int classIndex, int metric) {
    auto shown = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    if (!shown) shown = reinterpret_cast<HICON>(GetClassLongPtrW(window, classIndex));
    const int size = GetSystemMetrics(metric);
    const auto resource = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size, size, 0));
    return shown && resource &&
           samePicture(QImage::fromHICON(shown).scaled(size, size), QImage::fromHICON(resource));
}

void listKey(HKEY key, const QString& path, QStringList& lines) {
    wchar_t name[16384];
    BYTE data[65536];
    DWORD length = 16384, size = sizeof data, type = 0;
    for (DWORD i = 0; RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) == 0;
         ++i, length = 16384, size = sizeof data)
        lines << path + '|' + QString::fromWCharArray(name, int(length)) + '=' +
                     QByteArray(reinterpret_cast<char*>(data), int(size)).toHex();
    for (DWORD i = 0; RegEnumKeyExW(key, i, name, &(length = 16384), 0, 0, 0, 0) == 0; ++i) {
        const QString child = path + '\\' + QString::fromWCharArray(name, int(length));
        lines << child;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != 0) continue;
        listKey(sub, child, lines);
        RegCloseKey(sub);
    }
}

QStringList userRegistry() {
    QStringList lines;
    listKey(HKEY_CURRENT_USER, QStringLiteral("HKCU"), lines);
    return lines;
}

// Presses `button` in the next dialog window of this thread, noting the texts of its combo
// boxes (the file type list among them) first.
void answerNextDialog(int button, QStringList* comboTexts = nullptr) {
    QTimer::singleShot(300, [=] {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                wchar_t kind[8] = {};
                GetClassNameW(window, kind, 8);
                if (!IsWindowVisible(window) || wcscmp(kind, L"#32770") != 0) return TRUE;
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return answerNextDialog(button, comboTexts);
        for (HWND c = nullptr; comboTexts && (c = FindWindowExW(dialog, c, L"ComboBox", 0));)
            for (int i = 0; i < SendMessageW(c, CB_GETCOUNT, 0, 0); ++i) {
                wchar_t text[512] = {};
                SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                *comboTexts << QString::fromWCharArray(text);
            }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
}

}  // namespace

class TestWindowsShell : public QObject {
    Q_OBJECT
private slots:
    void everyWindowShowsDravelsIconInItsTitleBar() {
        testing::TempProgramDir dir;
        app::TMain main;
        dialogs::TPort port;
        for (QWidget* window : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&port)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const auto handle = reinterpret_cast<HWND>(window->winId());
            QVERIFY(showsTheResourceIcon(handle, ICON_SMALL, GCLP_HICONSM, SM_CXSMICON));
            QVERIFY(showsTheResourceIcon(handle, ICON_BIG, GCLP_HICON, SM_CXICON));
            // A dialog frame (WS_EX_DLGMODALFRAME) draws no icon in the title bar.
            QVERIFY(!(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME));
        }
    }

    void everyFileDialogLeavesTheRegistryAsItWas() {
        testing::TempProgramDir dir;
        const QStringList before = userRegistry();
        QStringList fileTypes;
        answerNextDialog(IDCANCEL);
        ui::chooseSoundFile(nullptr, QStringLiteral("WAV Dateien (*.wav)"), {});
        answerNextDialog(IDCANCEL, &fileTypes);
        ui::chooseSoundFile(nullptr, dialogs::TBedingungen::kAudioFileFilter, {});
        QVERIFY2(fileTypes.contains("MP3 Dateien (*mp3)"), qPrintable(fileTypes.join('|')));
        answerNextDialog(IDCANCEL);
        extras::systemServices().chooseOpenFile(nullptr, "Importieren", "CSV-Dateien (*.csv)");
        const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        for (const QString name : {"Alarmierung.csv", "Einstellungen.pdf", "Pruefprotokoll.pdf"}) {
            answerNextDialog(IDOK);
            const QString filter =
                name.endsWith(".csv") ? "CSV-Dateien (*.csv)" : "PDF-Dateien (*.pdf)";
            const QString chosen = extras::askWhereToSave(nullptr, "Speichern", name, filter);
            QCOMPARE(QDir::fromNativeSeparators(chosen), documents.filePath(name));
        }
        const QStringList after = userRegistry();
        QCOMPARE(QSet<QString>(after.begin(), after.end()),
                 QSet<QString>(before.begin(), before.end()));
    }
};

int main(int argc, char** argv) {
    app::DravelApplication application(argc, argv);
    TestWindowsShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows_shell.moc"
