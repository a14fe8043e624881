// Every window draws whole: no control reaches past its parent's edge, no
// text needs more room than its control has, and the screen shows what the
// window draws; run at each display scale (DRAVEL_TEST_SCALE from CTest,
// else the scale the system is set to).

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
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
#include "ui/NumberField.h"

using namespace dravel;
using Maker = std::function<std::unique_ptr<QWidget>()>;

namespace {

// Every option ticked: the longest sentences of the summary panels.
const std::string kLongest =
    "[ComPort]\r\nExtern=1\r\n[Prog]\r\nTray=1\r\nEnde=1\r\nMehrfach=1\r\n[Sound]\r\nPlay=1\r\n"
    "Wait=1\r\nWait Time=1200\r\nAnsteuern=1\r\nAnsteuern Pin=2\r\nPfad=C:\\Kalvor\\gong.wav\r\n";

// The width or height a control's text needs beyond what it has, or 0.
int missingRoom(const QWidget* w) {
    if (const auto* field = qobject_cast<const ui::NumberField*>(w->parentWidget());
        field && qobject_cast<const QLineEdit*>(w))
        return field->widestNumberWidth() - w->contentsRect().width();
    if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty())
        return label->wordWrap() ? label->heightForWidth(label->width()) - label->height()
                                 : label->sizeHint().width() - label->width();
    const bool check = qobject_cast<const QCheckBox*>(w);
    if (!check && !qobject_cast<const QRadioButton*>(w)) return 0;
    QStyleOptionButton option;
    option.initFrom(w);
    const auto element = check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
    const QString text = static_cast<const QAbstractButton*>(w)->text();
    return w->style()->subElementRect(element, &option, w).left() +
           w->fontMetrics().horizontalAdvance(text) - w->width();
}

QStringList edgeFaults(QWidget& window) {
    QStringList faults;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        bool scrolled = false;  // a scroll area's contents may be larger than its view
        for (QWidget* p = w->parentWidget(); p != &window; p = p->parentWidget())
            scrolled = scrolled || qobject_cast<QAbstractScrollArea*>(p);
        if (w->isWindow() || !w->isVisibleTo(&window) || scrolled) continue;
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << w->objectName() + " reaches past " + w->parentWidget()->objectName();
        if (const int missing = missingRoom(w); missing > 0)
            faults << w->objectName() + QStringLiteral(": text needs %1 px more").arg(missing);
    }
    return faults;
}

// What the window shows: on Windows the screen itself (where themed parts
// once lost their bottom and right lines at 125 %), elsewhere what Qt draws
// (Qt's own platforms grab the screen unscaled).
QImage shownPicture(QWidget& window) {
    QTest::qWait(200);
    const QPixmap shown = QGuiApplication::platformName() == QStringLiteral("windows")
                              ? window.screen()->grabWindow(window.winId())
                              : window.grab();
    return shown.toImage().convertToFormat(QImage::Format_RGB32);
}

// Whether a line runs along a side: at half the places along it at least (a
// group box's title stands above its frame), one of the outermost three
// device pixels is not the window's background.
bool showsLine(const QImage& shown, const QRect& device, bool bottom, QRgb background) {
    const int length = bottom ? device.width() : device.height();
    int marked = 0;
    for (int along = 3; along < length - 3; ++along) {
        bool line = false;
        for (int in = 0; in < 3; ++in) {
            const QPoint at = bottom ? QPoint(device.left() + along, device.bottom() - in)
                                     : QPoint(device.right() - in, device.top() + along);
            line = line || (shown.valid(at) && shown.pixel(at) != background);
        }
        marked += line;
    }
    return marked * 2 >= length - 6;
}

// The framed controls whose bottom or right line the window does not show.
QStringList linesNotShown(QWidget& window) {
    const QImage shown = shownPicture(window);
    const qreal ratio = shown.width() / qreal(window.width());
    const QRgb background = window.palette().color(QPalette::Window).rgb();
    QStringList faults;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool framed = qobject_cast<QGroupBox*>(w) || qobject_cast<QPushButton*>(w) ||
                            qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                            (qobject_cast<QLineEdit*>(w) && w->parentWidget() == w->parent() &&
                             !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) &&
                             !qobject_cast<QComboBox*>(w->parentWidget()));
        if (!framed || !w->isVisible()) continue;
        const QPointF topLeft = w->mapTo(&window, QPointF(0, 0)) * ratio;
        const QRect device = QRectF(topLeft, QSizeF(w->size()) * ratio).toRect();
        for (const bool bottom : {true, false})
            if (!showsLine(shown, device, bottom, background))
                faults << w->objectName() +
                              (bottom ? " without bottom line" : " without right line");
    }
    return faults;
}

template <typename Window>
Maker make() {
    return [] { return std::make_unique<Window>(nullptr); };
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
        QTest::newRow("Verdrahtung") << make<extras::TVerdrahtung>();
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
        const QStringList notShown = linesNotShown(*window);
        QVERIFY2(notShown.isEmpty(), qPrintable(notShown.join(QStringLiteral("; "))));
    }

    // As on Windows, a check box takes a click anywhere in its given size.
    void checkBoxesTakeClicksOverTheirWholeWidth() {
        testing::TempProgramDir dir;
        dialogs::TAudio audio;
        dialogs::TPort port;
        for (QCheckBox* box : {audio.findChild<QCheckBox*>("Verzoegern"),
                               audio.findChild<QCheckBox*>("Pin_ansteuern"),
                               port.findChild<QCheckBox*>("Pin_aktiv")}) {
            box->setEnabled(true);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
            QVERIFY2(box->isChecked(), qPrintable(box->objectName()));
        }
    }
};

// In the program's own font and style, as the windows are laid out for them.
int main(int argc, char** argv) {
    // Wine hands no QT_* variable on to a Windows program.
    if (qEnvironmentVariableIsSet("DRAVEL_TEST_SCALE"))
        qputenv("QT_SCALE_FACTOR", qgetenv("DRAVEL_TEST_SCALE"));
    app::DravelApplication application(argc, argv);
    TestWindowEdges test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_edges.moc"
