#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "config/extras/ConditionCsv.h"

namespace Ui {
class CsvImport;
}

// What the user chose for an import.
enum class ImportChoice { Cancel, Replace, Append };

// Shows what an import file holds before anything is written: how many rows
// pass, every refused row with its line and reasons, and asks whether the
// passed rows replace the list or are appended to it.
class TCsvImport : public QDialog {
    Q_OBJECT
public:
    explicit TCsvImport(QWidget* parent = nullptr);
    ~TCsvImport() override;

    void setImport(const QString& path, const dravel::config::CsvImport& result,
                   std::size_t listSize);
    ImportChoice choice() const { return choice_; }

private:
    void choose(ImportChoice choice);

    std::unique_ptr<Ui::CsvImport> ui;
    ImportChoice choice_ = ImportChoice::Cancel;
};
