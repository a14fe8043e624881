#include "extras/Bedingungspruefung.h"

#include <QHeaderView>

#include "extras/Counted.h"
#include "extras/TableRows.h"
#include "extras/ui_Bedingungspruefung.h"
#include "ui/Text.h"

using dravel::ui::toQString;

TPruefung::TPruefung(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Pruefung>()) {
    ui->setupUi(this);
    ui->Befunde->setColumnCount(4);
    ui->Befunde->setHorizontalHeaderLabels({QStringLiteral("Zeile"), QStringLiteral("Kennung"),
                                            QStringLiteral("Beschreibung"),
                                            QStringLiteral("Auffälligkeit")});
    ui->Befunde->verticalHeader()->hide();
    dravel::extras::wrapLastColumn(ui->Befunde);
    connect(ui->Schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TPruefung::~TPruefung() = default;

void TPruefung::setFindings(const std::vector<dravel::config::ConditionFinding>& findings) {
    ui->Ergebnis->setText(
        findings.empty() ? QStringLiteral("Keine Auffälligkeiten")
                         : dravel::extras::counted(findings.size(), QStringLiteral("Auffälligkeit"),
                                                   QStringLiteral("Auffälligkeiten")) +
                               QStringLiteral(" gefunden:"));
    ui->Befunde->setVisible(!findings.empty());
    ui->Befunde->setRowCount(static_cast<int>(findings.size()));
    for (int row = 0; row < ui->Befunde->rowCount(); ++row) {
        const auto& f = findings[static_cast<std::size_t>(row)];
        const QString texts[] = {f.row == 0 ? QStringLiteral("–") : QString::number(f.row),
                                 toQString(f.code), toQString(f.description), toQString(f.problem)};
        for (int column = 0; column < 4; ++column)
            ui->Befunde->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    dravel::extras::fitColumns(ui->Befunde);
}
