#include "tools/FunktTest.h"

#include <QRadioButton>

#include "devices/system/Companion.h"
#include "devices/system/Shell.h"
#include "tools/ui_FunktTest.h"
#include "ui/AlarmCodePanel.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"
#include "ui/WindowGeometry.h"

using dravel::config::AlarmCodeKind;
using dravel::ui::AlarmCodePanel;
using dravel::ui::MessageBoxes;
using dravel::ui::toQString;
using dravel::ui::toStdString;

namespace dravel::tools {

namespace {

constexpr int kOuterWidth = 462;
// Only the kind selector shows while no code is passed; the code frames
// need the taller window.
constexpr int kHeightWithoutCode = 160;
constexpr int kHeightWithCode = 260;

constexpr int kNoCodeItem = 0;

QPoint panelPosition(AlarmCodeKind kind) {
    switch (kind) {
        case AlarmCodeKind::FiveTone:
            return {94, 121};
        case AlarmCodeKind::Posac:
            return {64, 121};
        case AlarmCodeKind::Fms:
            return {8, 121};
    }
    return {};
}

QString text(std::string_view utf8) {
    return toQString(std::string(utf8));
}

}  // namespace

TFunktionsTest::TFunktionsTest(QWidget* parent)
    : FixedDialog(parent), ui(std::make_unique<Ui::FunktionsTest>()) {
    ui->setupUi(this);
    setModal(true);
    QStringList items;
    for (const std::string_view item : dravel::config::kSimulationKindItems) items << text(item);
    ui->Art->setItems(items);
    ui->Art->setItemIndex(kNoCodeItem);
    setUpPanels();
    setOuterHeight(kHeightWithoutCode);
    dravel::ui::connectGuarded(ui->Art, &dravel::ui::RadioGroup::itemSelected, this,
                               &TFunktionsTest::ArtClick);
    dravel::ui::connectGuarded(ui->BitBtn1, &QPushButton::clicked, this,
                               &TFunktionsTest::BitBtn1Click);
    // "Zurück" ends the tests; nothing was edited, so nothing is asked.
    dravel::ui::connectGuarded(ui->BitBtn2, &QPushButton::clicked, this, &TFunktionsTest::reject);
}

TFunktionsTest::~TFunktionsTest() = default;

// The keyboard visits the kind selector, the FMS, five-tone and POSAC
// frames, then "Testen" and "Zurück".
void TFunktionsTest::setUpPanels() {
    for (const AlarmCodeKind kind : dravel::config::kAlarmCodeKinds) {
        auto* panel = new AlarmCodePanel(kind, this);
        panel->move(panelPosition(kind));
        panel->hide();
        panels_[static_cast<std::size_t>(kind)] = panel;
    }
    QWidget* previous = ui->Art->button(ui->Art->items().size() - 1);
    for (const AlarmCodeKind kind :
         {AlarmCodeKind::Fms, AlarmCodeKind::FiveTone, AlarmCodeKind::Posac})
        previous = panelOf(kind)->placeInTabOrderAfter(previous);
    QWidget::setTabOrder(previous, ui->BitBtn1);
    QWidget::setTabOrder(ui->BitBtn1, ui->BitBtn2);
}

void TFunktionsTest::setOuterHeight(int height) {
    dravel::ui::setOuterSize(this, kOuterWidth, height);
}

// The selections stay when the kind changes; switching back shows them.
void TFunktionsTest::ArtClick(int item) {
    setOuterHeight(item == kNoCodeItem ? kHeightWithoutCode : kHeightWithCode);
    for (AlarmCodePanel* panel : panels_) panel->hide();
    ui->Kennung->clear();
    if (const auto kind = dravel::config::simulationKind(item))
        panelOf(*kind)->show();
    else if (item == kNoCodeItem)
        ui->Kennung->setText(text(dravel::config::kNoAlarmCodeParameter));
}

// Only the boxes of the chosen kind make up the code.
void TFunktionsTest::BitBtn1Click() {
    ui->Kennung->clear();
    QString question = QStringLiteral("Alarmfunktion Ausführen?");
    QString parameter = text(dravel::config::kNoAlarmCodeParameter);
    if (const auto kind = dravel::config::simulationKind(ui->Art->itemIndex())) {
        const std::optional<QString> code = panelOf(*kind)->composeCode(this);
        if (!code) return;
        ui->Kennung->setText(*code);
        parameter = *code;
        question = QStringLiteral("Alarmfunktion mit ") + ui->Art->items()[ui->Art->itemIndex()] +
                   QStringLiteral(" Kennung \"") + *code + QStringLiteral("\" Ausführen?");
    }
    if (MessageBoxes::confirm(this, question)) startCompanion(parameter);
}

// The shell's answer is the only test: a missing program and any other
// failure to start it give the same message.
void TFunktionsTest::startCompanion(const QString& parameter) {
    if (dravel::devices::shell().startProgram(dravel::devices::companionProgramPath(),
                                              toStdString(parameter)))
        return;
    MessageBoxes::plain(this, QStringLiteral("Die \"Kalvor.EXE\" wurde nicht gefunden\n\r"
                                             "Bitte stellen Sie sicher, das Sie sich in dem "
                                             "gleichen Verzeichniss befindet"));
}

AlarmCodePanel* TFunktionsTest::panelOf(AlarmCodeKind kind) const {
    return panels_[static_cast<std::size_t>(kind)];
}

}  // namespace dravel::tools
