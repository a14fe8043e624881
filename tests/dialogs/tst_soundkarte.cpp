#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <memory>

#include "app/Hauptfenster.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/SimulatedMixerDriver.h"
#include "dialogs/Soundkarte.h"
#include "support/SimulatedCards.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/RadioGroup.h"

using dravel::dialogs::TSound;

using dravel::devices::SimulatedDestination;
using dravel::devices::SimulatedDevice;
using dravel::devices::SimulatedMixerDriver;
using dravel::devices::SimulatedMixerSystem;
using dravel::devices::TAudioMixer;
using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::RadioGroup;

namespace {

const QString kNoMixer = QStringLiteral("No mixer present in the system !");

SimulatedDevice card(const std::string& product, const std::string& destination,
                     const std::vector<std::string>& sources) {
    SimulatedDevice device;
    device.productName = product;
    SimulatedDestination line;
    line.line.name = destination;
    for (const std::string& source : sources) {
        dravel::devices::SimulatedLine input;
        input.name = source;
        line.sources.push_back(input);
    }
    device.destinations.push_back(line);
    return device;
}

const SimulatedDevice kOnboard = card("Onboard Audio", "Lautsprecher", {"Mikrofon", "Line-In"});
const SimulatedDevice kUsb = card("USB Funkempfänger", "Wiedergabe", {"Funk", "CD", "Aux"});

QSlider* slider(TSound& d, const char* name) {
    return child<QSlider>(d, name);
}
QCheckBox* onOff(TSound& d) {
    return check(d, "OnOff");
}

// The user picks an entry with the arrow keys, one step at a time.
void pick(QComboBox* box, int index) {
    const int steps = index - box->currentIndex();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(box, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

// Every control that holds a value, in one order, and whether it is enabled.
const char* const kValueControls[] = {"start",       "ende",       "EndLautstarke", "StartSekunden",
                                      "EndSekunden", "StartLevel", "EndLevel",      "Soundkarte",
                                      "Eingang",     "StartPin",   "EndPin"};
QStringList enabledControls(TSound& d) {
    QStringList enabled;
    for (const char* name : kValueControls)
        if (child(d, name)->isEnabled()) enabled << QString::fromUtf8(name);
    return enabled;
}

std::string funkSection(const std::string& keys) {
    return "[Funk]\r\n" + keys;
}

}  // namespace

class TestSoundkarte : public QObject {
    Q_OBJECT
private slots:
    void formHasItsCaptionsAndItsOverlaidControlsLieOnTheirItems();
    void withoutSettingsOnlyOnOffCanBeUsedAndAcceptWritesEveryKey();
    void onOffEnablesWhatTheSelectedItemsAsk();
    void pickingAPinShowsItInTheOtherSelector();
    void storedValuesOutsideTheListsAreTamed();
    void volumesAreShownAsPercentAndStoredOnTheMixerScale();
    void changingTheCardRefillsTheInputs();
    void typedCardTextKeepsTheDeviceAndSelectsNoCard();
    void withoutAMixerTheListsKeepTheirTextsAndEditingComplains();
    void cancellingWritesNothingAndFreesTheMixer();
};

void TestSoundkarte::formHasItsCaptionsAndItsOverlaidControlsLieOnTheirItems() {
    SimulatedCards cards({kOnboard});
    TSound d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Funkwiedergabe auf Lautsprecherausgang"));
    QCOMPARE(onOff(d)->text(),
             QStringLiteral("Automatische Änderung der Wiedergabelautstärke eines "
                            "Aufnahmeeingangs Aktivieren"));
    const QString gap(21, ' ');
    QCOMPARE(radio(d, "start")->items(),
             QStringList({"Sofort nach Programmstart", "Nach" + gap + "Sekunden Wartezeit",
                          "Wie ComPort Ausgang"}));
    QCOMPARE(radio(d, "ende")->items().at(1), "Nach" + gap + "Sekunden Laufzeit");
    QCOMPARE(radio(d, "EndLautstarke")->items().at(2), QStringLiteral(" "));
    QCOMPARE(itemsOf(combo(d, "EndPin")),
             QStringList({"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
    QVERIFY(!combo(d, "EndPin")->isEditable());
    QVERIFY(combo(d, "Soundkarte")->isEditable());

    // The overlaid controls lie on their items, above the groups.
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const struct {
        const char* control;
        const char* group;
        int item;
    } overlays[] = {{"StartSekunden", "start", 1},
                    {"StartPin", "start", 2},
                    {"EndSekunden", "ende", 1},
                    {"EndPin", "ende", 2},
                    {"EndLevel", "EndLautstarke", 2}};
    for (const auto& o : overlays) {
        QWidget* control = child(d, o.control);
        RadioGroup* group = radio(d, o.group);
        QCOMPARE(control->parentWidget(), group->parentWidget());
        const QRect row = group->button(o.item)->geometry().translated(group->pos());
        QVERIFY2(row.contains(control->geometry().center()), o.control);
        // What lies at the control's centre is the control, not the item below.
        QWidget* hit = group->parentWidget()->childAt(control->geometry().center());
        QVERIFY2(hit == control || control->isAncestorOf(hit), o.control);
    }
}

// The first card is chosen, no input; what is shown is written.
void TestSoundkarte::withoutSettingsOnlyOnOffCanBeUsedAndAcceptWritesEveryKey() {
    SimulatedCards cards({kOnboard});
    CommandTest t;
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(itemsOf(combo(d, "Soundkarte")), QStringList({"Onboard Audio"}));
        QCOMPARE(itemsOf(combo(d, "Eingang")),
                 QStringList({"Lautsprecher", "Mikrofon", "Line-In"}));
        QCOMPARE(enabledControls(d), QStringList());
        for (const char* name : {"OnOff", "ok", "BitBtn1", "Rahmen", "SoundkarteGroup",
                                 "EingangGroup", "StartLevelGroup"})
            QVERIFY2(child(d, name)->isEnabled(), name);
        press(d, "ok");
    }));
    VERIFY_BOXES(t.boxes);
    QCOMPARE(t.settings(),
             funkSection("OnOff=0\r\nSoundkarte=0\r\nEingang=-1\r\nStart=-1\r\nEnde=-1\r\n"
                         "Start Zeit=0\r\nEnde Zeit=0\r\nPin=-1\r\nEndLautst\xE4rke=-1\r\n"
                         "StartVolume=0\r\nEndVolume=0\r\n"));
}

void TestSoundkarte::onOffEnablesWhatTheSelectedItemsAsk() {
    SimulatedCards cards({kOnboard});
    CommandTest t;
    t.store(funkSection("Start=2\r\nEnde=1\r\nEndLautst\xE4rke=2\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(enabledControls(d), QStringList());
        onOff(d)->click();
        QCOMPARE(enabledControls(d),
                 QStringList({"start", "ende", "EndLautstarke", "EndSekunden", "StartLevel",
                              "EndLevel", "Soundkarte", "Eingang", "StartPin"}));
        // The user's own choices apply the same rules.
        radio(d, "start")->button(1)->click();
        radio(d, "ende")->button(0)->click();
        radio(d, "EndLautstarke")->button(1)->click();
        QCOMPARE(enabledControls(d), QStringList({"start", "ende", "EndLautstarke", "StartSekunden",
                                                  "StartLevel", "Soundkarte", "Eingang"}));
        onOff(d)->click();
        QCOMPARE(enabledControls(d), QStringList());
        press(d, "ok");
    }));
    // Loading with OnOff ticked applies the rules as the values arrive.
    t.store(funkSection("OnOff=1\r\nStart=1\r\nEnde=2\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(enabledControls(d),
                 QStringList({"start", "ende", "EndLautstarke", "StartSekunden", "StartLevel",
                              "Soundkarte", "Eingang", "EndPin"}));
        press(d, "ok");
    }));
}

void TestSoundkarte::pickingAPinShowsItInTheOtherSelector() {
    SimulatedCards cards({kOnboard});
    CommandTest t;
    t.store(funkSection("OnOff=1\r\nStart=2\r\nEnde=2\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        pick(combo(d, "EndPin"), 2);
        QCOMPARE(combo(d, "EndPin")->currentText(), QStringLiteral("Pin 7 (RTS)"));
        QCOMPARE(combo(d, "StartPin")->currentText(), QStringLiteral("Pin 7 (RTS)"));
        pick(combo(d, "StartPin"), 1);
        QCOMPARE(combo(d, "EndPin")->currentIndex(), 1);
        // Setting an index in code is no pick.
        combo(d, "StartPin")->setCurrentIndex(0);
        QCOMPARE(combo(d, "EndPin")->currentIndex(), 1);
        pick(combo(d, "EndPin"), 2);
        QCOMPARE(combo(d, "StartPin")->currentIndex(), 2);
        press(d, "ok");
    }));
    QVERIFY(contains(t.settings(), "\r\nPin=2\r\n"));
}

// What is shown is written: the first card stays, values outside the lists
// select nothing or the last item, times and volumes are pulled into range.
void TestSoundkarte::storedValuesOutsideTheListsAreTamed() {
    SimulatedCards cards({kOnboard});
    CommandTest t;
    t.store(
        funkSection("Soundkarte=4\r\nEingang=3\r\nStart=7\r\nEnde=-9\r\n"
                    "Start Zeit=5000\r\nEnde Zeit=-3\r\nPin=7\r\n"
                    "EndLautst\xE4rke=3\r\nStartVolume=70000\r\nEndVolume=-1\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("Onboard Audio"));
        QVERIFY(radio(d, "start")->button(2)->isChecked());
        QCOMPARE(combo(d, "EndPin")->currentIndex(), -1);
        press(d, "ok");
    }));
    QCOMPARE(t.settings(),
             funkSection("Soundkarte=0\r\nEingang=-1\r\nStart=2\r\nEnde=-1\r\n"
                         "Start Zeit=3600\r\nEnde Zeit=0\r\nPin=-1\r\nEndLautst\xE4rke=2\r\n"
                         "StartVolume=65535\r\nEndVolume=0\r\nOnOff=0\r\n"));
}

void TestSoundkarte::volumesAreShownAsPercentAndStoredOnTheMixerScale() {
    SimulatedCards cards({kOnboard});
    CommandTest t;
    t.store(funkSection("StartVolume=32767\r\nEndVolume=65535\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(slider(d, "StartLevel")->value(), 50);
        QCOMPARE(slider(d, "EndLevel")->value(), 100);
        slider(d, "StartLevel")->setValue(10);
        press(d, "ok");
    }));
    QVERIFY(contains(t.settings(), "StartVolume=6554\r\nEndVolume=65535\r\n"));
}

void TestSoundkarte::changingTheCardRefillsTheInputs() {
    SimulatedCards cards({kOnboard, kUsb});
    CommandTest t;
    t.store(funkSection("OnOff=1\r\nEingang=2\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(itemsOf(combo(d, "Soundkarte")),
                 QStringList({"Onboard Audio", "USB Funkempfänger"}));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Line-In"));
        pick(combo(d, "Soundkarte"), 1);
        QCOMPARE(itemsOf(combo(d, "Eingang")), QStringList({"Wiedergabe", "Funk", "CD", "Aux"}));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Wiedergabe"));
        pick(combo(d, "Eingang"), 1);
        press(d, "ok");
    }));
    QVERIFY(contains(t.settings(), "\r\nSoundkarte=1\r\n"));
    QVERIFY(contains(t.settings(), "\r\nEingang=1\r\n"));

    // A stored card shows its own inputs.
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("USB Funkempfänger"));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Funk"));
        pick(combo(d, "Soundkarte"), 0);
        QCOMPARE(itemsOf(combo(d, "Eingang")),
                 QStringList({"Lautsprecher", "Mikrofon", "Line-In"}));
        press(d, "ok");
    }));
    QVERIFY(contains(t.settings(), "\r\nSoundkarte=0\r\n"));
    QVERIFY(contains(t.settings(), "\r\nEingang=0\r\n"));
}

void TestSoundkarte::typedCardTextKeepsTheDeviceAndSelectsNoCard() {
    SimulatedCards cards({kOnboard, kUsb});
    CommandTest t;
    t.store(funkSection("OnOff=1\r\nSoundkarte=1\r\nEingang=3\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Aux"));
        QLineEdit* edit = combo(d, "Soundkarte")->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, "Q");
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("Q"));
        // The inputs are those of the card chosen before, read anew.
        QCOMPARE(itemsOf(combo(d, "Eingang")), QStringList({"Wiedergabe", "Funk", "CD", "Aux"}));
        QCOMPARE(combo(d, "Eingang")->currentIndex(), 0);
        press(d, "ok");
    }));
    VERIFY_BOXES(t.boxes);
    QVERIFY(contains(t.settings(), "Soundkarte=-1\r\nEingang=0\r\n"));
}

void TestSoundkarte::withoutAMixerTheListsKeepTheirTextsAndEditingComplains() {
    SimulatedCards cards;  // no card at all
    CommandTest t;
    t.store(funkSection("Soundkarte=0\r\nEingang=0\r\n"));
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->count(), 0);
        QCOMPARE(combo(d, "Eingang")->count(), 0);
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("Soundkarte"));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Eingang"));
        QVERIFY2(t.boxes.shown().empty(), "no message while creating and loading");

        onOff(d)->click();
        t.boxes.expect(BoxKind::Error, kNoMixer).expect(BoxKind::Error, kNoMixer);
        QTest::keyClicks(combo(d, "Soundkarte")->lineEdit(), "ab");
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.boxes.shown().back().title, QStringLiteral("Fehler"));
        press(d, "ok");
    }));
    QVERIFY(contains(t.settings(), "Soundkarte=-1\r\nEingang=-1\r\n"));
}

void TestSoundkarte::cancellingWritesNothingAndFreesTheMixer() {
    SimulatedCards cards({kOnboard, kUsb});
    CommandTest t;
    const std::string before = funkSection("OnOff=1\r\n");
    t.store(before);
    QVERIFY(t.run<TSound>([&](TSound& d) {
        QCOMPARE(cards.system().openHandles.size(), 1u);
        pick(combo(d, "Soundkarte"), 1);
        QCOMPARE(cards.system().openHandles.size(), 1u);  // the first card was closed
        QVERIFY_CHECKS(cancelKeepingThenDropping(
            t.boxes, d, "BitBtn1", [&] { QCOMPARE(combo(d, "Soundkarte")->currentIndex(), 1); }));
    }));
    VERIFY_BOXES(t.boxes);
    QCOMPARE(t.settings(), before);
    QVERIFY(cards.system().openHandles.empty());
}

QTEST_MAIN(TestSoundkarte)
#include "tst_soundkarte.moc"
