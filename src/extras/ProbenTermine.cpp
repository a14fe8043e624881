#include "extras/ProbenTermine.h"

#include <QHeaderView>

#include "extras/ui_ProbenTermine.h"
#include "ui/Text.h"

using dravel::ui::toQString;

TProbenTermine::TProbenTermine(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ProbenTermine>()) {
    ui->setupUi(this);
    ui->Zeitraeume->setColumnCount(4);
    ui->Zeitraeume->setHorizontalHeaderLabels({QStringLiteral("Wochentag"),
                                               QStringLiteral("Beginn"), QStringLiteral("Ende"),
                                               QStringLiteral("Hinweis")});
    ui->Zeitraeume->verticalHeader()->hide();
    connect(ui->Schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TProbenTermine::~TProbenTermine() = default;

void TProbenTermine::setPlan(const std::string& scheduleSentence,
                             const dravel::config::DeactivationPlan& plan) {
    ui->Zeitplan->setText(toQString(scheduleSentence));
    QStringList notes;
    for (const std::string& note : plan.notes) notes << toQString(note);
    ui->Hinweise->setText(notes.join('\n'));
    ui->Hinweise->setVisible(!notes.isEmpty());
    ui->Zeitraeume->setVisible(!plan.windows.empty());
    ui->Zeitraeume->setRowCount(static_cast<int>(plan.windows.size()));
    for (int row = 0; row < ui->Zeitraeume->rowCount(); ++row) {
        const auto& w = plan.windows[static_cast<std::size_t>(row)];
        const QString texts[] = {
            toQString(w.weekday), toQString(dravel::config::formatGermanDateTime(w.start)),
            toQString(dravel::config::formatGermanDateTime(w.end)), toQString(w.note)};
        for (int column = 0; column < 4; ++column)
            ui->Zeitraeume->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    ui->Zeitraeume->resizeColumnsToContents();
    ui->Zeitraeume->resizeRowsToContents();
    ui->Zeitraeume->horizontalHeader()->setStretchLastSection(true);
}
