#include "extras/CsvImport.h"

#include <QHeaderView>

#include "extras/Counted.h"
#include "extras/TableRows.h"
#include "extras/ui_CsvImport.h"
#include "ui/Text.h"

using dravel::config::CsvEncoding;

TCsvImport::TCsvImport(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::CsvImport>()) {
    ui->setupUi(this);
    ui->Abgewiesen->setColumnCount(2);
    ui->Abgewiesen->setHorizontalHeaderLabels({QStringLiteral("Zeile"), QStringLiteral("Grund")});
    ui->Abgewiesen->verticalHeader()->hide();
    dravel::extras::wrapLastColumn(ui->Abgewiesen);
    connect(ui->Ersetzen, &QPushButton::clicked, this, [this] { choose(ImportChoice::Replace); });
    connect(ui->Anhaengen, &QPushButton::clicked, this, [this] { choose(ImportChoice::Append); });
    connect(ui->Abbrechen, &QPushButton::clicked, this, [this] { choose(ImportChoice::Cancel); });
}

TCsvImport::~TCsvImport() = default;

void TCsvImport::setImport(const QString& path, const dravel::config::CsvImport& result,
                           std::size_t listSize) {
    const QString encoding = result.encoding == CsvEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                  : QStringLiteral("Windows-1252");
    ui->Datei->setText(QStringLiteral("Datei: %1 (%2)").arg(path, encoding));
    using dravel::extras::counted;
    const QString line = QStringLiteral("Zeile");
    const QString lines = QStringLiteral("Zeilen");
    QString counts =
        counted(result.entries.size(), line, lines) +
        (result.entries.size() == 1 ? QStringLiteral(" ist") : QStringLiteral(" sind")) +
        QStringLiteral(" gültig, die Bedingungsliste hat ") +
        counted(listSize, QStringLiteral("Eintrag."), QStringLiteral("Einträge."));
    if (!result.refused.empty())
        counts +=
            ' ' + counted(result.refused.size(), line, lines) +
            (result.refused.size() == 1 ? QStringLiteral(" wird") : QStringLiteral(" werden")) +
            QStringLiteral(" nicht übernommen:");
    ui->Anzahl->setText(counts);
    ui->Abgewiesen->setVisible(!result.refused.empty());
    ui->Abgewiesen->setRowCount(static_cast<int>(result.refused.size()));
    for (int row = 0; row < ui->Abgewiesen->rowCount(); ++row) {
        const auto& refusal = result.refused[static_cast<std::size_t>(row)];
        ui->Abgewiesen->setItem(row, 0, new QTableWidgetItem(QString::number(refusal.line)));
        ui->Abgewiesen->setItem(row, 1,
                                new QTableWidgetItem(dravel::ui::toQString(refusal.reason)));
    }
    dravel::extras::fitColumns(ui->Abgewiesen);
    const bool anything = !result.entries.empty();
    ui->Ersetzen->setEnabled(anything);
    ui->Anhaengen->setEnabled(anything);
    ui->Frage->setVisible(anything);
}

void TCsvImport::choose(ImportChoice choice) {
    choice_ = choice;
    done(choice == ImportChoice::Cancel ? QDialog::Rejected : QDialog::Accepted);
}
