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

#include "DialogDriver.h"
#include "app/Hauptfenster.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/SimulatedMixerDriver.h"
#include "dialogs/Soundkarte.h"
#include "support/TestSupport.h"
#include "ui/RadioGroup.h"

using dravel::devices::SimulatedDestination;
using dravel::devices::SimulatedDevice;
using dravel::devices::SimulatedMixerDriver;
using dravel::devices::SimulatedMixerSystem;
using dravel::devices::TAudioMixer;
using dravel::testing::runSettingsCommand;
using dravel::testing::ScriptedBoxes;
using dravel::testing::TempProgramDir;
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

// The sound cards every dialog made meanwhile finds, over a simulated mixer.
class SimulatedCards {
public:
    explicit SimulatedCards(std::vector<SimulatedDevice> devices)
        : system_(std::make_shared<SimulatedMixerSystem>()) {
        system_->devices = std::move(devices);
        previous_ = TSound::setMixerFactory([system = system_] {
            return std::make_unique<TAudioMixer>(std::make_unique<SimulatedMixerDriver>(system));
        });
    }
    ~SimulatedCards() { TSound::setMixerFactory(previous_); }
    const SimulatedMixerSystem& system() const { return *system_; }

private:
    std::shared_ptr<SimulatedMixerSystem> system_;
    TSound::MixerFactory previous_;
};

template <typename W = QWidget>
W* child(TSound& d, const char* name) {
    W* widget = d.findChild<W*>(QString::fromUtf8(name));
    if (!widget) qFatal("no control %s", name);
    return widget;
}
QComboBox* combo(TSound& d, const char* name) {
    return child<QComboBox>(d, name);
}
RadioGroup* radio(TSound& d, const char* name) {
    return child<RadioGroup>(d, name);
}
QSlider* slider(TSound& d, const char* name) {
    return child<QSlider>(d, name);
}
QSpinBox* spin(TSound& d, const char* name) {
    return child<QSpinBox>(d, name);
}
QCheckBox* onOff(TSound& d) {
    return child<QCheckBox>(d, "OnOff");
}
void press(TSound& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
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

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

class TestSoundkarte : public QObject {
    Q_OBJECT
private slots:
    void formHasItsControlsCaptionsAndRanges();
    void overlaidControlsLieOnTheirItemsAboveTheGroups();
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

void TestSoundkarte::formHasItsControlsCaptionsAndRanges() {
    SimulatedCards cards({kOnboard});
    TSound d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Funkwiedergabe auf Lautsprecherausgang"));
    QCOMPARE(d.size(), QSize(531 - 8, 442 - 31));
    QCOMPARE(onOff(d)->text(),
             QStringLiteral("Automatische Änderung der Wiedergabelautstärke eines "
                            "Aufnahmeeingangs Aktivieren"));
    QCOMPARE(child<QGroupBox>(d, "Rahmen")->title(), QString());
    QCOMPARE(child<QGroupBox>(d, "SoundkarteGroup")->title(), QStringLiteral("Soundkarte"));
    QCOMPARE(child<QGroupBox>(d, "EingangGroup")->title(), QStringLiteral("Eingang"));
    QCOMPARE(child<QGroupBox>(d, "StartLevelGroup")->title(),
             QStringLiteral("Lautstärke bei Start"));
    QCOMPARE(radio(d, "start")->title(), QStringLiteral("Start"));
    QCOMPARE(radio(d, "ende")->title(), QStringLiteral("Ende"));
    QCOMPARE(radio(d, "EndLautstarke")->title(), QStringLiteral("Lautstärke bei Ende"));

    const QString gap(21, ' ');
    QCOMPARE(radio(d, "start")->items(),
             QStringList({"Sofort nach Programmstart", "Nach" + gap + "Sekunden Wartezeit",
                          "Wie ComPort Ausgang"}));
    QCOMPARE(radio(d, "ende")->items(),
             QStringList(
                 {"Bei Programmende", "Nach" + gap + "Sekunden Laufzeit", "Wie ComPort Ausgang "}));
    QCOMPARE(radio(d, "EndLautstarke")->items(),
             QStringList({"Wie vor dem Programmstart", "Stumm Schalten (Mute)", " "}));

    for (const char* name : {"StartPin", "EndPin"}) {
        QCOMPARE(itemsOf(combo(d, name)),
                 QStringList({"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
        QCOMPARE(combo(d, name)->toolTip(), QStringLiteral("Auswahl des Pins für den ComPort"));
        QVERIFY(!combo(d, name)->isEditable());
    }
    QVERIFY(combo(d, "Soundkarte")->isEditable());
    QVERIFY(combo(d, "Eingang")->isEditable());
    for (const char* name : {"StartSekunden", "EndSekunden"}) {
        QCOMPARE(spin(d, name)->minimum(), 0);
        QCOMPARE(spin(d, name)->maximum(), 3600);
    }
    for (const char* name : {"StartLevel", "EndLevel"}) {
        QCOMPARE(slider(d, name)->minimum(), 0);
        QCOMPARE(slider(d, name)->maximum(), 100);
        QCOMPARE(slider(d, name)->tickInterval(), 10);
    }
    QCOMPARE(child<QPushButton>(d, "ok")->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(child<QPushButton>(d, "BitBtn1")->text(), QStringLiteral("Abbrechen"));
}

void TestSoundkarte::overlaidControlsLieOnTheirItemsAboveTheGroups() {
    SimulatedCards cards({kOnboard});
    TSound d;
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

void TestSoundkarte::withoutSettingsOnlyOnOffCanBeUsedAndAcceptWritesEveryKey() {
    SimulatedCards cards({kOnboard});
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(itemsOf(combo(d, "Soundkarte")), QStringList({"Onboard Audio"}));
        QCOMPARE(combo(d, "Soundkarte")->currentIndex(), 0);
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("Onboard Audio"));
        QCOMPARE(itemsOf(combo(d, "Eingang")),
                 QStringList({"Lautsprecher", "Mikrofon", "Line-In"}));
        QCOMPARE(combo(d, "Eingang")->currentIndex(), -1);
        QCOMPARE(combo(d, "Eingang")->currentText(), QString());
        for (const char* name : {"start", "ende", "EndLautstarke"})
            QCOMPARE(radio(d, name)->itemIndex(), -1);
        QCOMPARE(spin(d, "StartSekunden")->value(), 0);
        QCOMPARE(spin(d, "EndSekunden")->value(), 0);
        QCOMPARE(slider(d, "StartLevel")->value(), 0);
        QCOMPARE(slider(d, "EndLevel")->value(), 0);
        QCOMPARE(combo(d, "StartPin")->currentIndex(), -1);
        QCOMPARE(enabledControls(d), QStringList());
        QVERIFY(!onOff(d)->isChecked());
        for (const char* name : {"OnOff", "ok", "BitBtn1", "Rahmen", "SoundkarteGroup",
                                 "EingangGroup", "StartLevelGroup"})
            QVERIFY2(child(d, name)->isEnabled(), name);
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"),
             funkSection("OnOff=0\r\nSoundkarte=0\r\nEingang=-1\r\nStart=-1\r\nEnde=-1\r\n"
                         "Start Zeit=0\r\nEnde Zeit=0\r\nPin=-1\r\nEndLautst\xE4rke=-1\r\n"
                         "StartVolume=0\r\nEndVolume=0\r\n"));
}

void TestSoundkarte::onOffEnablesWhatTheSelectedItemsAsk() {
    SimulatedCards cards({kOnboard});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("Start=2\r\nEnde=1\r\nEndLautst\xE4rke=2\r\n"));
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
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
    dir.write("Prog.ini", funkSection("OnOff=1\r\nStart=1\r\nEnde=2\r\n"));
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(enabledControls(d),
                 QStringList({"start", "ende", "EndLautstarke", "StartSekunden", "StartLevel",
                              "Soundkarte", "Eingang", "EndPin"}));
        press(d, "ok");
    }));
}

void TestSoundkarte::pickingAPinShowsItInTheOtherSelector() {
    SimulatedCards cards({kOnboard});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("OnOff=1\r\nStart=2\r\nEnde=2\r\n"));
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
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
    QVERIFY(contains(dir.read("Prog.ini"), "\r\nPin=2\r\n"));
}

void TestSoundkarte::storedValuesOutsideTheListsAreTamed() {
    SimulatedCards cards({kOnboard});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("Soundkarte=4\r\nEingang=3\r\nStart=7\r\nEnde=-9\r\n"
                                      "Start Zeit=5000\r\nEnde Zeit=-3\r\nPin=7\r\n"
                                      "EndLautst\xE4rke=3\r\n"));
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->currentIndex(), 0);  // the first card stays
        QCOMPARE(combo(d, "Eingang")->currentIndex(), -1);
        QCOMPARE(radio(d, "start")->itemIndex(), 2);
        QVERIFY(radio(d, "start")->button(2)->isChecked());
        QCOMPARE(radio(d, "ende")->itemIndex(), -1);
        QCOMPARE(spin(d, "StartSekunden")->value(), 3600);
        QCOMPARE(spin(d, "EndSekunden")->value(), 0);
        QCOMPARE(combo(d, "StartPin")->currentIndex(), -1);
        QCOMPARE(combo(d, "EndPin")->currentIndex(), -1);
        QCOMPARE(radio(d, "EndLautstarke")->itemIndex(), 2);
        press(d, "ok");
    }));
    QCOMPARE(dir.read("Prog.ini"),
             funkSection("Soundkarte=0\r\nEingang=-1\r\nStart=2\r\nEnde=-1\r\n"
                         "Start Zeit=3600\r\nEnde Zeit=0\r\nPin=-1\r\nEndLautst\xE4rke=2\r\n"
                         "OnOff=0\r\nStartVolume=0\r\nEndVolume=0\r\n"));
}

void TestSoundkarte::volumesAreShownAsPercentAndStoredOnTheMixerScale() {
    SimulatedCards cards({kOnboard});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("StartVolume=32767\r\nEndVolume=65535\r\n"));
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(slider(d, "StartLevel")->value(), 50);
        QCOMPARE(slider(d, "EndLevel")->value(), 100);
        press(d, "ok");
    }));
    QVERIFY(contains(dir.read("Prog.ini"), "StartVolume=32767\r\nEndVolume=65535\r\n"));

    dir.write("Prog.ini", funkSection("StartVolume=70000\r\nEndVolume=-1\r\n"));
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(slider(d, "StartLevel")->value(), 100);
        QCOMPARE(slider(d, "EndLevel")->value(), 0);
        slider(d, "StartLevel")->setValue(10);
        slider(d, "EndLevel")->setValue(50);
        press(d, "ok");
    }));
    QVERIFY(contains(dir.read("Prog.ini"), "StartVolume=6554\r\nEndVolume=32767\r\n"));
}

void TestSoundkarte::changingTheCardRefillsTheInputs() {
    SimulatedCards cards({kOnboard, kUsb});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("OnOff=1\r\nEingang=2\r\n"));
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(itemsOf(combo(d, "Soundkarte")),
                 QStringList({"Onboard Audio", "USB Funkempfänger"}));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Line-In"));
        pick(combo(d, "Soundkarte"), 1);
        QCOMPARE(itemsOf(combo(d, "Eingang")), QStringList({"Wiedergabe", "Funk", "CD", "Aux"}));
        QCOMPARE(combo(d, "Eingang")->currentIndex(), 0);
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Wiedergabe"));
        pick(combo(d, "Eingang"), 1);
        press(d, "ok");
    }));
    QVERIFY(contains(dir.read("Prog.ini"), "\r\nSoundkarte=1\r\n"));
    QVERIFY(contains(dir.read("Prog.ini"), "\r\nEingang=1\r\n"));

    // A stored card shows its own inputs.
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("USB Funkempfänger"));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Funk"));
        pick(combo(d, "Soundkarte"), 0);
        QCOMPARE(itemsOf(combo(d, "Eingang")),
                 QStringList({"Lautsprecher", "Mikrofon", "Line-In"}));
        press(d, "ok");
    }));
    QVERIFY(contains(dir.read("Prog.ini"), "\r\nSoundkarte=0\r\n"));
    QVERIFY(contains(dir.read("Prog.ini"), "\r\nEingang=0\r\n"));
}

void TestSoundkarte::typedCardTextKeepsTheDeviceAndSelectsNoCard() {
    SimulatedCards cards({kOnboard, kUsb});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("OnOff=1\r\nSoundkarte=1\r\nEingang=3\r\n"));
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
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
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(contains(dir.read("Prog.ini"), "Soundkarte=-1\r\nEingang=0\r\n"));
}

void TestSoundkarte::withoutAMixerTheListsKeepTheirTextsAndEditingComplains() {
    SimulatedCards cards({});
    TempProgramDir dir;
    dir.write("Prog.ini", funkSection("Soundkarte=0\r\nEingang=0\r\n"));
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(combo(d, "Soundkarte")->count(), 0);
        QCOMPARE(combo(d, "Eingang")->count(), 0);
        QCOMPARE(combo(d, "Soundkarte")->currentText(), QStringLiteral("Soundkarte"));
        QCOMPARE(combo(d, "Eingang")->currentText(), QStringLiteral("Eingang"));
        QVERIFY2(boxes.shown().empty(), "no message while creating and loading");

        onOff(d)->click();
        boxes.expect(BoxKind::Error, kNoMixer).expect(BoxKind::Error, kNoMixer);
        QTest::keyClicks(combo(d, "Soundkarte")->lineEdit(), "ab");
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(boxes.shown().back().title, QStringLiteral("Fehler"));
        press(d, "ok");
    }));
    QVERIFY(contains(dir.read("Prog.ini"), "Soundkarte=-1\r\nEingang=-1\r\n"));
}

void TestSoundkarte::cancellingWritesNothingAndFreesTheMixer() {
    SimulatedCards cards({kOnboard, kUsb});
    TempProgramDir dir;
    const std::string before = funkSection("OnOff=1\r\n");
    dir.write("Prog.ini", before);
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TSound>(w, [&](TSound& d) {
        QCOMPARE(cards.system().openHandles.size(), 1u);
        pick(combo(d, "Soundkarte"), 1);
        QCOMPARE(cards.system().openHandles.size(), 1u);  // the first card was closed
        boxes.expect(BoxKind::Confirmation, QStringLiteral("Abbrechen ohne Speichern?"), false);
        press(d, "BitBtn1");
        QVERIFY(d.isVisible());
        boxes.expect(BoxKind::Confirmation, QStringLiteral("Abbrechen ohne Speichern?"), true);
        d.close();
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), before);
    QVERIFY(cards.system().openHandles.empty());
}

QTEST_MAIN(TestSoundkarte)
#include "tst_soundkarte.moc"
