#include "dialogs/ProgEinstellung.h"

#include <QStyle>

#include "dialogs/ui_ProgEinstellung.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"

using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;

namespace dravel::dialogs {

namespace {
constexpr int kOuterWidth = 244;
constexpr int kOuterHeight = 291;

const QString kAutoEndQuestion = QStringLiteral(
    "Wenn das Alarmfenster nicht geschlossen ist, werden weitere Alarme ignoriert.\n\r"
    "Weiterhin werden Ausgänge ständig angesteuert, wenn eine Option \"Bis Programmende\" "
    "Aktiviert ist.\n\r"
    "Das Auto-Beenden sollte nur zu Prüf/Testzwecken deaktiviert werden.\n\r"
    "Soll es deaktiviert werden?");

const QString kMultiStartWarning = QStringLiteral(
    "Diese Option sollte nur genommen werden, wenn man mehrere ComPorts benötigt.\n\r"
    "Für Jeden ComPort müssen diese Programme (Kalvor.Exe und Dravel.Exe) in einen Extra "
    "Ordner Kopiert werden und für jeden ComPort neu eingestellt werden\n\r"
    "Die Fehlerüberwachung ist dann deaktiviert");

const QString kExternStopNotice = QStringLiteral(
    "Um ein Reset-Signal verarbeiten zu können, muß mindestens ein Pin angesteuert sein "
    "(Signalquelle für Taster)");
}  // namespace

TProg::TProg(QWidget* parent) : SettingsDialog(parent), ui(std::make_unique<Ui::Prog>()) {
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    attachAutoEnd();
    connectGuarded(ui->mehrfach, &QCheckBox::toggled, this, &TProg::mehrfachClick);
    connectGuarded(ui->Reset, &QCheckBox::toggled, this, &TProg::ResetClick);
    connect(ui->ok, &QPushButton::clicked, this, &TProg::accept);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TProg::reject);
}

TProg::~TProg() = default;

void TProg::setValues(const Values& values) {
    ui->ToTray->setChecked(values.tray);
    ui->AutoEnd->setChecked(values.autoEnd);
    ui->mehrfach->setChecked(values.multiStart);
    ui->Reset->setChecked(values.externStop);
}

TProg::Values TProg::values() const {
    return {ui->ToTray->isChecked(), ui->AutoEnd->isChecked(), ui->mehrfach->isChecked(),
            ui->Reset->isChecked()};
}

void TProg::attachAutoEnd() {
    autoEndHandler_ = connectGuarded(ui->AutoEnd, &QCheckBox::toggled, this, &TProg::AutoEndClick);
}

// Switching automatic end off needs a "Ja"; the handler is detached meanwhile,
// so ticking the box again asks nothing.
void TProg::AutoEndClick() {
    disconnect(autoEndHandler_);
    if (!ui->AutoEnd->isChecked() && !MessageBoxes::confirm(this, kAutoEndQuestion))
        ui->AutoEnd->setChecked(true);
    attachAutoEnd();
}

void TProg::mehrfachClick() {
    if (ui->mehrfach->isChecked()) MessageBoxes::warning(this, kMultiStartWarning);
}

void TProg::ResetClick() {
    if (ui->Reset->isChecked()) MessageBoxes::information(this, kExternStopNotice);
}

}  // namespace dravel::dialogs
