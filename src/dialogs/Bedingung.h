#pragma once

#include <QAbstractTableModel>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "ui/SettingsDialog.h"

class QMenu;

namespace Ui {
class Bedingungen;
}

namespace dravel::ui {
class AlarmCodePanel;
}

namespace dravel::dialogs {

// The rows of the condition list: each entry exactly as its record holds
// it, with the texts the list shows derived from it. A pin or kind field
// that names no pin or kind (a file edited elsewhere) is shown as it is
// and written back unchanged.
class ConditionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PinText, KindText, Code, Description, AudioFile, Kind, Pin, AudioPath, Count };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<dravel::config::ConditionEntry> entries);
    const std::vector<dravel::config::ConditionEntry>& entries() const { return entries_; }
    const dravel::config::ConditionEntry& entry(int row) const;
    void append(dravel::config::ConditionEntry entry);
    void remove(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const dravel::config::ConditionEntry& entry, int column) const;

    std::vector<dravel::config::ConditionEntry> entries_;
};

// The condition list editor: reads Alarmierung.dat when it is created and
// rewrites it only when closed with the bottom "Übernehmen". The list is the
// only copy of the entries while it is open; the editor above it composes
// one entry at a time. A file that could not be read whole is never
// rewritten: the list would lack what was not read.
class TBedingungen : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    static const QString kAudioFileFilter;

    explicit TBedingungen(QWidget* parent = nullptr);
    ~TBedingungen() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool mayOverwriteTheFile(const std::string& directory);
    void ArtClick(int kindIndex);
    void EintragenClick();
    void ndern1Click();
    void showPopupMenu(const QPoint& at);
    void Lschen1Click();
    void andernClick();
    void Button1Click();
    void AbspielenClick();
    void okClick();

    void setUpControls();
    void setUpList();
    void connectHandlers();
    bool checkEntry();
    void addEntry(int kindIndex, const QString& code);
    void clearEditor(dravel::ui::AlarmCodePanel* usedPanel);
    void setAudioPath(const QString& path);
    int selectedRow() const;
    dravel::ui::AlarmCodePanel* panelOf(int kindIndex) const;

    std::unique_ptr<Ui::Bedingungen> ui;
    // The failure that kept the file from being read whole, if any.
    std::optional<std::string> readFailure_;
    dravel::config::FileFingerprint read_;  // what the file held when read
    ConditionListModel* model_;
    QMenu* PopupMenu;
    std::array<dravel::ui::AlarmCodePanel*, 3> panels_{};
};

}  // namespace dravel::dialogs
