// Where the windows place their controls: each at the position (relative to
// its frame) and size its users know from the alarm program's windows.

#include <QTest>
#include <functional>
#include <memory>

#include "app/Hauptfenster.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Funktionsprobe.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"

using dravel::testing::child;

namespace {

enum Window { Main, Audio, Funktions };

std::unique_ptr<QWidget> make(Window window) {
    switch (window) {
        case Main:
            return std::make_unique<TMain>();
        case Audio:
            return std::make_unique<TAudio>();
        case Funktions:
            return std::make_unique<TFunktions>();
    }
    return nullptr;
}

constexpr int kAny = -1;  // a size the windows leave to their text

}  // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void controlsSitWhereTheFormsPutThem_data();
    void controlsSitWhereTheFormsPutThem();

private:
    dravel::testing::TempProgramDir dir_;
};

void TestGeometry::controlsSitWhereTheFormsPutThem_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("expected");
    const auto row = [](Window window, const char* control, int x, int y, int w, int h) {
        QTest::addRow("%s", control) << int(window) << QString(control) << QRect(x, y, w, h);
    };
    const auto size = [](Window window, const char* control, int w, int h) {
        QTest::addRow("%s", control) << int(window) << QString(control) << QRect(kAny, kAny, w, h);
    };
    row(Main, "SoundBox", 16, 8, 337, 193);
    row(Main, "DateiBox", 15, 23, 305, 80);
    row(Main, "Abspielen", 8, 32, 23, 22);
    row(Main, "Datei", 40, 20, 257, 45);
    row(Main, "SoundPinBox", 15, 113, 305, 73);
    size(Main, "SoundPin", 273, 33);
    row(Main, "LautBox", 16, 208, 337, 153);
    size(Main, "Laut", 313, 129);
    row(Main, "ProgrammBox", 16, 368, 337, 113);
    size(Main, "ProgInfo", 313, 89);
    row(Main, "FunktionsprobenBox", 16, 488, 337, 73);
    size(Main, "Funktionspr", 313, 50);
    row(Main, "AnsteuerungenBox", 360, 8, 313, 553);
    row(Main, "ComPortBox", 15, 23, 281, 80);
    row(Main, "Port_info", 48, 32, kAny, kAny);
    for (const char* box : {"Pin0Box", "Pin1Box", "Pin2Box"}) size(Main, box, 281, 130);
    for (const char* label : {"Pin0", "Pin1", "Pin2"}) size(Main, label, 265, 110);

    row(Audio, "SoundGroup", 8, 8, 345, 297);
    row(Audio, "DateiGroup", 8, 40, kAny, kAny);
    row(Audio, "Abspielen", 15, 24, 23, 22);
    row(Audio, "Datei", 48, 28, kAny, kAny);
    row(Audio, "andern", 15, 56, 75, 25);
    row(Audio, "VerzoegerungGroup", 8, 144, kAny, kAny);
    row(Audio, "Verzoegern", 16, 24, 201, 17);
    row(Audio, "verzoeger_zeit", 80, 22, 41, 22);
    row(Audio, "PinGroup", 8, 208, kAny, kAny);
    row(Audio, "Pin_ansteuern", 15, 32, 314, 17);
    row(Audio, "Port_pin", 35, 31, 89, 21);
    row(Audio, "Label2", 32, 56, kAny, kAny);
    row(Audio, "Zeit_uebernehmen", 14, 316, 99, 29);
    row(Audio, "BitBtn1", 246, 316, 99, 29);

    row(Funktions, "DeaktivierungGroup", 8, 8, 297, 329);
    row(Funktions, "Tage", 16, 24, 273, 177);
    row(Funktions, "Wochentag1", 75, 75, 128, kAny);
    row(Funktions, "ZahlWochentag2", 75, 107, 41, kAny);
    row(Funktions, "Wochentag2", 123, 107, 80, kAny);
    row(Funktions, "Tag_Monat", 75, 136, 41, kAny);
    row(Funktions, "ZeitenGroup", 16, 208, 185, 105);
    row(Funktions, "Uhrzeit", 33, 20, 33, 21);
    row(Funktions, "dauer", 33, 60, 33, 21);
    row(Funktions, "ok", 14, 345, 99, 29);
    row(Funktions, "BitBtn1", 198, 345, 99, 29);
}

void TestGeometry::controlsSitWhereTheFormsPutThem() {
    QFETCH(int, window);
    QFETCH(QString, control);
    QFETCH(QRect, expected);
    const std::unique_ptr<QWidget> w = make(static_cast<Window>(window));
    const QRect actual = child(*w, control)->geometry();
    if (expected.x() != kAny) QCOMPARE(actual.topLeft(), expected.topLeft());
    if (expected.width() != kAny) QCOMPARE(actual.width(), expected.width());
    if (expected.height() != kAny) QCOMPARE(actual.height(), expected.height());
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
