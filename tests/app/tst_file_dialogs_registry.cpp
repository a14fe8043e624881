// The program's file dialogs, the real ones of Windows, leave the registry as
// they found it (the program keeps no settings there), show every filter as
// written and suggest saving outside Kalvor's folder. Windows only; each
// dialog is answered by a timer as a user would: the save dialogs with their
// suggested name, the open dialogs with "Abbrechen".

#include <windows.h>

#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/DravelApplication.h"
#include "dialogs/Bedingung.h"
#include "extras/ExtrasMenu.h"
#include "support/TestSupport.h"
#include "ui/SoundPreview.h"

using namespace dravel;

namespace {

// Every key and value under HKEY_CURRENT_USER, one line each.
void listKey(HKEY key, const QString& path, QStringList& lines) {
    wchar_t name[16384];
    BYTE data[65536];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 16384, dataLength = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        lines << path + '|' + QString::fromWCharArray(name, int(nameLength)) + '=' +
                     QByteArray(reinterpret_cast<char*>(data), int(dataLength)).toHex();
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 16384;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const QString child = path + '\\' + QString::fromWCharArray(name, int(nameLength));
        lines << child;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            listKey(sub, child, lines);
            RegCloseKey(sub);
        }
    }
}

QStringList userRegistry() {
    QStringList lines;
    listKey(HKEY_CURRENT_USER, QStringLiteral("HKCU"), lines);
    return lines;
}

// The texts of the combo boxes of a dialog window (the file type list among them).
QStringList comboTexts(HWND dialog) {
    QStringList texts;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t cls[64];
            GetClassNameW(child, cls, 64);
            if (QString::fromWCharArray(cls).compare(QStringLiteral("ComboBox"),
                                                     Qt::CaseInsensitive))
                return TRUE;
            const int count = int(SendMessageW(child, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t text[512] = {};
                SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                reinterpret_cast<QStringList*>(found)->append(QString::fromWCharArray(text));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// Answers the next dialog of this thread with the button given, after noting
// its combo box texts.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int button) : button_(button) {
        timer_.setInterval(200);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }
    QStringList combos;

private:
    void answer() {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) -> BOOL {
                wchar_t cls[16];
                GetClassNameW(window, cls, 16);
                if (IsWindowVisible(window) && QString::fromWCharArray(cls) == "#32770") {
                    *reinterpret_cast<HWND*>(found) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        combos = comboTexts(dialog);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
        timer_.stop();
    }
    int button_;
    QTimer timer_;
};

}  // namespace

class TestFileDialogsRegistry : public QObject {
    Q_OBJECT
private slots:
    void everyFileDialogLeavesTheRegistryAsItWas() {
        testing::TempProgramDir dir;
        const QStringList before = userRegistry();
        const extras::ExtrasServices system = extras::systemServices();
        {
            DialogAnswerer user(IDCANCEL);
            QVERIFY(
                ui::chooseSoundFile(nullptr, QStringLiteral("WAV Dateien (*.wav)"), {}).isEmpty());
        }
        {
            DialogAnswerer user(IDCANCEL);
            ui::chooseSoundFile(nullptr, dialogs::TBedingungen::kAudioFileFilter, {});
            QVERIFY2(user.combos.contains(QStringLiteral("MP3 Dateien (*mp3)")),
                     qPrintable(user.combos.join('|')));
        }
        {
            DialogAnswerer user(IDCANCEL);
            system.chooseOpenFile(nullptr, QStringLiteral("Bedingungsliste importieren"),
                                  QStringLiteral("CSV-Dateien (*.csv)"));
        }
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QString chosen;
        for (const char* name : {"Alarmierung.csv", "Einstellungen.pdf", "Pruefprotokoll.pdf"}) {
            DialogAnswerer user(IDOK);
            chosen = extras::askWhereToSave(nullptr, QStringLiteral("Speichern"),
                                            QString::fromLatin1(name),
                                            QStringLiteral("PDF-Dateien (*.pdf)"));
            QCOMPARE(QDir::fromNativeSeparators(chosen),
                     QDir(documents).filePath(QString::fromLatin1(name)));
        }
        const QStringList after = userRegistry();
        QStringList added, removed;
        for (const QString& line : after)
            if (!before.contains(line)) added << line;
        for (const QString& line : before)
            if (!after.contains(line)) removed << line;
        QVERIFY2(added.isEmpty() && removed.isEmpty(),
                 qPrintable("added: " + added.join(", ") + "; removed: " + removed.join(", ")));
    }
};

int main(int argc, char** argv) {
    app::DravelApplication application(argc, argv);
    TestFileDialogsRegistry test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_file_dialogs_registry.moc"
