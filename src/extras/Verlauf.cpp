#include "extras/Verlauf.h"

#include <QHeaderView>

#include "config/extras/ChangeHistory.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/AudioMixerNames.h"
#include "extras/TableRows.h"
#include "extras/ui_Verlauf.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

using dravel::ui::MessageBoxes;
using dravel::ui::toQString;
namespace config = dravel::config;

namespace {

void setRow(QTableWidget* table, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        table->setItem(row, column, item);
    }
}

QString describedState(const config::HistoryRow& row) {
    return QStringLiteral("%1 vom %2").arg(toQString(row.fileName), toQString(row.time));
}

}  // namespace

TVerlauf::TVerlauf(QWidget* parent, std::string programDirectory,
                   std::function<void()> afterRestore)
    : QDialog(parent),
      ui(std::make_unique<Ui::Verlauf>()),
      Mixer(std::make_unique<dravel::devices::TAudioMixer>()),
      programDirectory_(std::move(programDirectory)),
      afterRestore_(std::move(afterRestore)) {
    ui->setupUi(this);
    Mixer->setMixerId(0);
    ui->Staende->setColumnCount(5);
    ui->Staende->setHorizontalHeaderLabels({QStringLiteral("Zeit"), QStringLiteral("Datei"),
                                            QStringLiteral("Benutzer"), QStringLiteral("Befehl"),
                                            QStringLiteral("Hinweis")});
    ui->Staende->verticalHeader()->hide();
    ui->Staende->horizontalHeader()->setStretchLastSection(true);
    ui->Unterschiede->setColumnCount(3);
    ui->Unterschiede->setHorizontalHeaderLabels(
        {QStringLiteral("Was"), QStringLiteral("Damals"), QStringLiteral("Jetzt")});
    ui->Unterschiede->verticalHeader()->hide();
    ui->Unterschiede->setWordWrap(true);
    ui->Unterschiede->setTextElideMode(Qt::ElideNone);
    ui->Unterschiede->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Rows as high as their wrapped text at the widths the columns end up with.
    connect(
        ui->Unterschiede->horizontalHeader(), &QHeaderView::sectionResized, this,
        [this] { dravel::extras::fitRows(ui->Unterschiede); }, Qt::QueuedConnection);
    dravel::ui::connectGuarded(ui->Staende, &QTableWidget::itemSelectionChanged, this,
                               &TVerlauf::StaendeChange);
    dravel::ui::connectGuarded(ui->Wiederherstellen, &QPushButton::clicked, this,
                               &TVerlauf::WiederherstellenClick);
    connect(ui->Schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TVerlauf::~TVerlauf() = default;

void TVerlauf::refresh() {
    states_ = config::listHistory(programDirectory_);
    const QSignalBlocker quiet(ui->Staende);
    ui->Staende->clearContents();
    ui->Staende->setRowCount(static_cast<int>(states_.size()));
    for (int row = 0; row < ui->Staende->rowCount(); ++row) {
        const config::HistoryRow r = config::historyRow(states_[static_cast<std::size_t>(row)]);
        setRow(ui->Staende, row,
               {toQString(r.time), toQString(r.fileName), toQString(r.user), toQString(r.command),
                toQString(r.note)});
    }
    dravel::extras::fitColumns(ui->Staende);
    ui->Vergleich->setText(states_.empty()
                               ? QStringLiteral("Es wurde noch kein früherer Stand aufbewahrt.")
                               : QString());
    ui->Unterschiede->setRowCount(0);
    ui->Wiederherstellen->setEnabled(false);
    if (!states_.empty()) ui->Staende->selectRow(0);
    StaendeChange();
}

const config::HistoryState* TVerlauf::selectedState() const {
    const QModelIndexList rows = ui->Staende->selectionModel()->selectedRows();
    if (rows.isEmpty()) return nullptr;
    return &states_.at(static_cast<std::size_t>(rows.front().row()));
}

void TVerlauf::StaendeChange() {
    const config::HistoryState* state = selectedState();
    ui->Wiederherstellen->setEnabled(state != nullptr);
    ui->Unterschiede->setRowCount(0);
    if (state) showDifferences(*state);
}

void TVerlauf::showDifferences(const config::HistoryState& state) {
    dravel::devices::AudioMixerNames names(*Mixer);
    const auto differences = config::differencesFromCurrent(programDirectory_, state, names);
    const config::HistoryRow row = config::historyRow(state);
    ui->Vergleich->setText(
        differences.empty()
            ? QStringLiteral("%1 ist jetzt wieder so wie in diesem Stand.")
                  .arg(toQString(state.fileName))
            : QStringLiteral("„Damals“: %1, bevor „%2“ ihn ersetzte. „Jetzt“: die Datei, wie sie "
                             "jetzt ist.")
                  .arg(describedState(row), toQString(row.command)));
    ui->Unterschiede->setRowCount(static_cast<int>(differences.size()));
    for (int i = 0; i < ui->Unterschiede->rowCount(); ++i) {
        const config::HistoryDifference& d = differences[static_cast<std::size_t>(i)];
        setRow(ui->Unterschiede, i,
               {toQString(d.subject), dravel::ui::displayText(toQString(d.before)),
                dravel::ui::displayText(toQString(d.after))});
    }
    dravel::extras::fitRows(ui->Unterschiede);
}

void TVerlauf::WiederherstellenClick() {
    const config::HistoryState* state = selectedState();
    if (!state) return;
    const QString question =
        QStringLiteral("Soll %1 wiederhergestellt werden? Der jetzige Stand bleibt im Verlauf.")
            .arg(describedState(config::historyRow(*state)));
    if (!MessageBoxes::confirm(this, question)) return;
    const config::HistoryWarning warning = config::restoreHistoryState(programDirectory_, *state);
    if (warning) MessageBoxes::warning(this, toQString(*warning));
    if (afterRestore_) afterRestore_();
    refresh();
}
