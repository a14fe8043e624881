// Leaving a settings dialog or the condition list editor without accepting:
// the real question box, answered by its buttons, by Escape and by its own
// close button.

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "dialogs/Funktionsprobe.h"
#include "dialogs/ProgEinstellung.h"
#include "dialogs/Soundkarte.h"
#include "support/SimulatedCards.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"

using namespace dravel::dialogs;

using namespace dravel::testing;

namespace {

using DialogFactory = std::function<std::unique_ptr<QDialog>()>;

struct NamedDialog {
    const char* name;
    DialogFactory make;
};

template <typename Dialog>
NamedDialog dialog(const char* name) {
    return {name, [] { return std::make_unique<Dialog>(); }};
}

const std::vector<NamedDialog>& allDialogs() {
    static const std::vector<NamedDialog> dialogs{
        dialog<TPort>("ComPort"),        dialog<TBedingungen>("Bedingungen"),
        dialog<TAudio>("Audio"),         dialog<TSound>("Funkwiedergabe"),
        dialog<TFunktions>("Funktions"), dialog<TProg>("Prog")};
    return dialogs;
}

}  // namespace

class TestClosing : public QObject {
    Q_OBJECT
private slots:
    void onlyNeinKeepsTheDialogOpen_data();
    void onlyNeinKeepsTheDialogOpen();

private:
    TempProgramDir dir_;
    // No sound card of this machine: the radio dialog lists a simulated one.
    SimulatedCards cards_;
};

void TestClosing::onlyNeinKeepsTheDialogOpen_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("staysOpen");
    enum { Ja, Nein, Escape, CloseButton };
    QTest::newRow("Ja") << int(Ja) << false;
    QTest::newRow("Nein") << int(Nein) << true;
    QTest::newRow("Escape is Nein") << int(Escape) << true;
    QTest::newRow("close button is no Nein") << int(CloseButton) << false;
}

void TestClosing::onlyNeinKeepsTheDialogOpen() {
    QFETCH(int, answer);
    QFETCH(bool, staysOpen);
    const std::function<void(QMessageBox*)> answers[] = {
        [](QMessageBox* box) { buttonNamed(box, "Ja")->click(); },
        [](QMessageBox* box) { buttonNamed(box, "Nein")->click(); },
        [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); },
        [](QMessageBox* box) { box->close(); }};
    const RealBoxes real;
    for (const NamedDialog& named : allDialogs()) {
        const std::unique_ptr<QDialog> d = named.make();
        d->show();
        BoxSeen question;
        answerNextBox(question, answers[answer]);
        d->close();  // the dialog's own close box
        QCOMPARE(question.text, QStringLiteral("Abbrechen ohne Speichern?"));
        QVERIFY2(d->isVisible() == staysOpen, named.name);
        if (!staysOpen) QVERIFY2(d->result() == QDialog::Rejected, named.name);
    }
}

QTEST_MAIN(TestClosing)
#include "tst_closing.moc"
