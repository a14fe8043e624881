// Every window draws whole: no control reaches past its parent's edge and
// no text needs more room than its control has. Run at each display scale
// the program meets (QT_SCALE_FACTOR from CTest), and under Wine at the
// scale Windows is set to.

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>
#include <memory>

#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "dialogs/Funktionsprobe.h"
#include "dialogs/ProgEinstellung.h"
#include "dialogs/Soundkarte.h"
#include "extras/Bedingungspruefung.h"
#include "extras/CsvImport.h"
#include "extras/ProbenTermine.h"
#include "extras/Verdrahtung.h"
#include "support/SimulatedCards.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "tools/FunktTest.h"
#include "tools/Infofenster.h"
#include "tools/PinTest.h"

using namespace dravel;

namespace {

// Every option ticked: the longest sentences of the summary panels.
const std::string kLongest =
    "[ComPort]\r\nExtern=1\r\n[Prog]\r\nTray=1\r\nEnde=1\r\nMehrfach=1\r\n"
    "[Sound]\r\nPlay=1\r\nWait=1\r\nWait Time=1200\r\nAnsteuern=1\r\nAnsteuern Pin=2\r\n"
    "Pfad=C:\\Kalvor\\gong.wav\r\n";

QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

bool insideScrollArea(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
    return false;
}

// What a control shows needs more room than it has: a wrapped text more
// height, a one-line caption more width.
QString textFault(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty()) {
        const int needed =
            label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        if (needed > label->height())
            return QStringLiteral("text needs %1 px, has %2").arg(needed).arg(label->height());
        if (!label->wordWrap() && label->sizeHint().width() > label->width())
            return QStringLiteral("text needs %1 px wide, has %2")
                .arg(label->sizeHint().width())
                .arg(label->width());
    }
    const bool check = qobject_cast<const QCheckBox*>(w) != nullptr;
    if (check || qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(w);
        const QString text = static_cast<const QAbstractButton*>(w)->text();
        option.text = text;
        const int textStart = w->style()
                                  ->subElementRect(check ? QStyle::SE_CheckBoxContents
                                                         : QStyle::SE_RadioButtonContents,
                                                   &option, w)
                                  .left();
        const int needed = textStart + w->fontMetrics().horizontalAdvance(text);
        if (needed > w->width())
            return QStringLiteral("caption needs %1 px, has %2").arg(needed).arg(w->width());
    }
    return {};
}

QStringList edgeFaults(QWidget& window) {
    QStringList faults;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(&window) || insideScrollArea(w)) continue;
        const QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1 (%2,%3 %4x%5) reaches past %6 (%7x%8)")
                          .arg(nameOf(w))
                          .arg(w->x())
                          .arg(w->y())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(nameOf(parent))
                          .arg(parent->width())
                          .arg(parent->height());
        if (const QString fault = textFault(w); !fault.isEmpty())
            faults << nameOf(w) + ": " + fault;
    }
    return faults;
}

using Maker = std::function<std::unique_ptr<QWidget>()>;

template <typename Window>
Maker make() {
    return [] { return std::make_unique<Window>(); };
}

}  // namespace

class TestWindowEdges : public QObject {
    Q_OBJECT
private slots:
    void everyControlLiesWithinItsParent_data() {
        QTest::addColumn<Maker>("make");
        QTest::newRow("Main") << Maker([] {
            auto main = std::make_unique<app::TMain>();
            main->start();
            return std::unique_ptr<QWidget>(std::move(main));
        });
        QTest::newRow("Port") << make<dialogs::TPort>();
        QTest::newRow("Bedingungen") << make<dialogs::TBedingungen>();
        QTest::newRow("Audio") << make<dialogs::TAudio>();
        QTest::newRow("Sound") << make<dialogs::TSound>();
        QTest::newRow("Funktions") << make<dialogs::TFunktions>();
        QTest::newRow("Prog") << make<dialogs::TProg>();
        QTest::newRow("Test") << make<tools::TTest>();
        QTest::newRow("FunktionsTest") << make<tools::TFunktionsTest>();
        QTest::newRow("info") << make<tools::Tinfo>();
        QTest::newRow("Pruefung") << make<TPruefung>();
        QTest::newRow("ProbenTermine") << make<TProbenTermine>();
        QTest::newRow("CsvImport") << make<TCsvImport>();
        QTest::newRow("Verdrahtung")
            << Maker([] { return std::make_unique<extras::TVerdrahtung>(nullptr); });
    }

    void everyControlLiesWithinItsParent() {
        QFETCH(Maker, make);
        testing::TempProgramDir dir;
        dir.write("Prog.ini", kLongest);
        testing::SimulatedCards cards;
        testing::SimulatedPorts ports({"COM1"});
        const std::unique_ptr<QWidget> window = make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QStringList faults = edgeFaults(*window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // As on Windows, a check box takes a click anywhere in its given size,
    // also right of its caption's end.
    void checkBoxesTakeClicksOverTheirWholeWidth() {
        testing::TempProgramDir dir;
        testing::SimulatedCards cards;
        dialogs::TAudio audio;
        dialogs::TPort port;
        for (QWidget* window : {static_cast<QWidget*>(&audio), static_cast<QWidget*>(&port)})
            window->show();
        port.findChild<QWidget*>(QStringLiteral("Pin_aktiv"))->setEnabled(true);
        for (const auto& [window, name] : {std::pair<QWidget*, const char*>{&audio, "Verzoegern"},
                                           {&audio, "Pin_ansteuern"},
                                           {&port, "Pin_aktiv"}}) {
            auto* box = window->findChild<QCheckBox*>(QString::fromLatin1(name));
            QVERIFY(box);
            box->setEnabled(true);
            const bool before = box->isChecked();
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
            QVERIFY2(box->isChecked() != before, name);
        }
    }
};

// In the program's own font, as the windows are laid out for it.
int main(int argc, char** argv) {
    app::DravelApplication application(argc, argv);
    TestWindowEdges test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window_edges.moc"
