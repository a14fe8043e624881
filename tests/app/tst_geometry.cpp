// Controls whose place the windows once got wrong: each at the position
// (relative to its frame) and size its users know from the alarm program's
// windows.

#include <QTest>
#include <functional>
#include <memory>

#include "app/Hauptfenster.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Funktionsprobe.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"

using dravel::app::TMain;
using dravel::dialogs::TAudio;
using dravel::dialogs::TFunktions;

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
    size(Main, "SoundPin", 273, 33);
    size(Main, "Funktionspr", 313, 50);
    for (const char* label : {"Pin0", "Pin1", "Pin2"}) size(Main, label, 265, 110);

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

    row(Funktions, "Wochentag1", 75, 75, 128, kAny);
    row(Funktions, "ZahlWochentag2", 75, 107, 41, kAny);
    row(Funktions, "Wochentag2", 123, 107, 80, kAny);
    row(Funktions, "Tag_Monat", 75, 136, 41, kAny);
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
