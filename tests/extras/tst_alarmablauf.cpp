// The window "Alarmablauf", opened from the main window's menu in a program
// folder of its own: what the selector draws, and that the list of events
// says what the picture shows.
#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QListWidget>
#include <QTest>
#include <QToolTip>
#include <chrono>
#include <set>

#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
#include "extras/Alarmablauf.h"
#include "extras/CourseView.h"
#include "extras/ExtrasMenu.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"

using dravel::app::TMain;
using dravel::extras::CourseView;
using dravel::extras::TAlarmablauf;
using namespace dravel::testing;
using namespace std::chrono;

namespace {

// Pin 3 switches for codes of the list, Pin 4 after 10 s, Pin 7 for codes too.
const std::string kSettings =
    "[Pin0]\r\nAusgang Aktiv=1\r\nBemerkung=Tor\r\nStart=1\r\nDauer=60\r\n"
    "[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Licht\r\nWarten=10\r\nDauer=300\r\n"
    "[Pin2]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\nStart=1\r\nDauer=30\r\n"
    "[Sound]\r\nPlay=1\r\nPfad=gong.wav\r\nAnsteuern=1\r\nAnsteuern Pin=1\r\n"
    "[Funk]\r\nOnOff=1\r\nStart=2\r\nPin=2\r\nEnde=2\r\n[Prog]\r\nEnde=1\r\n";

const std::vector<dravel::config::ConditionEntry> kList = {
    {"0", "0", "Tor", "21345", ""},
    {"2", "2", "RTW", "6123456780", ""},
};

enum Row { kPin3, kPin4, kPin7, kSound, kRadio, kEnd };

// The rows that hold a drawn bar.
std::set<int> drawnRows(const CourseView& view) {
    std::set<int> rows;
    for (const auto& bar : view.layout().bars) rows.insert(static_cast<int>(bar.row));
    return rows;
}

QStringList listed(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// What the list must say: each drawn bar in drawing order, then each row without one.
QStringList pictured(const CourseView& view, const dravel::config::AlarmCourse& course) {
    QStringList texts;
    for (const auto& bar : view.layout().bars) {
        const auto& row = course.rows[bar.row];
        texts << QString::fromStdString(dravel::config::describeBar(row, row.bars[bar.bar]));
    }
    for (const auto& row : course.rows)
        if (row.bars.empty()) texts << QString::fromStdString(row.caption + ": " + row.note);
    return texts;
}

// The window of the sample folder, as the menu opens it, handed to check.
bool openWindow(const std::function<void(TAlarmablauf&)>& check) {
    TempProgramDir dir;
    dir.write("Prog.ini", kSettings);
    dravel::config::writeConditionList(dir.path(), kList, "Test");
    dravel::extras::ExtrasServices services;
    services.soundLength = [](const std::string&) { return dravel::config::SoundLength{12.5, ""}; };
    services.now = [] { return floor<seconds>(sys_days(2026y / December / 7) + 9h); };
    const ScopedHook<dravel::extras::ExtrasServices> standIns(dravel::extras::replaceExtrasServices,
                                                              services);
    TMain main;
    return driveModal<TAlarmablauf>([&] { child<QAction>(main, "Alarmablauf1")->trigger(); },
                                    [&](TAlarmablauf& window) {
                                        window.resize(1000, 640);
                                        window.show();
                                        QVERIFY(QTest::qWaitForWindowExposed(&window));
                                        check(window);
                                        window.accept();
                                    });
}

}  // namespace

class TestAlarmablauf : public QObject {
    Q_OBJECT
private slots:
    void selectorChoosesTheDrawnRows() {
        struct Case {
            QString alarm;
            std::set<int> rows;
        };
        const Case cases[] = {
            {QStringLiteral("Alarm ohne Kennung"), {kPin4, kSound, kEnd}},
            {QStringLiteral("5-Ton 21345 – Tor"), {kPin3, kPin4, kSound, kEnd}},
            {QStringLiteral("FMS 6123456780 – RTW"), {kPin4, kPin7, kSound, kRadio, kEnd}},
        };
        QVERIFY(openWindow([&](TAlarmablauf& window) {
            QComboBox* selector = combo(window, "Alarmauswahl");
            QCOMPARE(selector->count(), 3);
            for (const Case& c : cases) {
                selector->setCurrentText(c.alarm);
                QCOMPARE(selector->currentText(), c.alarm);
                QCOMPARE(drawnRows(*window.view()), c.rows);
            }
        }));
    }

    void listSaysWhatThePictureShows() {
        QVERIFY(openWindow([&](TAlarmablauf& window) {
            QComboBox* selector = combo(window, "Alarmauswahl");
            auto* events = child<QListWidget>(window, "Ereignisse");
            const auto* findings = child<QListWidget>(window, "Befunde");
            for (int i = 0; i < selector->count(); ++i) {
                selector->setCurrentIndex(i);
                // The course drawn is the one chosen: its caption is the selector's text.
                const auto& course = *window.view()->course();
                QCOMPARE(QString::fromStdString(course.alarm), selector->currentText());
                QCOMPARE(listed(events), pictured(*window.view(), course));
                QCOMPARE(findings->count(), std::max<int>(1, int(course.findings.size())));
            }
            // A line of the list selects its bar, a click on a bar its line.
            selector->setCurrentIndex(2);
            events->setCurrentRow(1);
            QCOMPARE(window.view()->selected(), 1);
            const QRectF bar = window.view()->layout().bars[0].rect;
            QTest::mouseClick(window.view(), Qt::LeftButton, {}, bar.center().toPoint());
            QCOMPARE(events->currentRow(), 0);
            // Hovering a bar tells the same.
            const QPoint at = bar.center().toPoint();
            QHelpEvent hover(QEvent::ToolTip, at, window.view()->mapToGlobal(at));
            QApplication::sendEvent(window.view(), &hover);
            QCOMPARE(QToolTip::text(), events->item(0)->text());
        }));
    }

    void keyboardReachesSelectorAndList() {
        QVERIFY(openWindow([&](TAlarmablauf& window) {
            QVERIFY(activate(window));
            combo(window, "Alarmauswahl")->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Ereignisse"));
        }));
    }

    // The radio follows Pin 7, which only the FMS code switches.
    void findingsBesideThePicture() {
        QVERIFY(openWindow([&](TAlarmablauf& window) {
            const auto* findings = child<QListWidget>(window, "Befunde");
            combo(window, "Alarmauswahl")->setCurrentIndex(0);
            QVERIFY(listed(findings).join('\n').contains(
                QStringLiteral("der nur bei Kennungen der Bedingungsliste schaltet")));
            QVERIFY(listed(findings).join('\n').contains(
                QStringLiteral("Die Spielzeit des Sounds hat ebenfalls Einfluss")));
            combo(window, "Alarmauswahl")->setCurrentIndex(2);
            QVERIFY(!listed(findings).join('\n').contains(QStringLiteral("Pin 7")));
        }));
    }
};

QTEST_MAIN(TestAlarmablauf)
#include "tst_alarmablauf.moc"
