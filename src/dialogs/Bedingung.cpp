#include "dialogs/Bedingung.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QStyle>

#include "config/conditions/AlarmCode.h"
#include "config/settings/PinSettings.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/ui_Bedingung.h"
#include "ui/AlarmCodePanel.h"
#include "ui/ErrorGuard.h"
#include "ui/FileText.h"
#include "ui/MessageBoxes.h"
#include "ui/SoundPreview.h"
#include "ui/Text.h"

using dravel::config::AlarmCodeKind;
using dravel::config::ConditionEntry;
using dravel::ui::AlarmCodePanel;
using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;
using dravel::ui::toQString;
using dravel::ui::toStdString;

namespace dravel::dialogs {

namespace {

constexpr int kOuterWidth = 600;
constexpr int kOuterHeight = 601;
// All three kind panels lie at the same place in the entry frame.
constexpr QPoint kPanelPosition(16, 65);
// The history names the list's saves by the menu entry, whichever window
// opened the editor.
constexpr std::string_view kHistoryCommand = "Bedingte Portansteuerung";

struct ColumnLayout {
    const char* title;
    int width;  // 0: hidden
};

constexpr std::array<ColumnLayout, ConditionListModel::Count> kColumns = {{{"Pin", 70},
                                                                           {"Art", 85},
                                                                           {"Kennung", 85},
                                                                           {"Beschreibung", 150},
                                                                           {"Audio", 150},
                                                                           {"Typ", 0},
                                                                           {"Pin", 0},
                                                                           {"Pfad", 0}}};

QString kindItem(int kindIndex) {
    return toQString(
        std::string(dravel::config::kConditionKindItems[static_cast<std::size_t>(kindIndex)]));
}

QString pinItem(int pinIndex) {
    return toQString(std::string(dravel::config::kPinCaptions[static_cast<std::size_t>(pinIndex)]));
}

// The item text that a pin or kind field names, or the field itself when it
// names none.
QString pinText(const std::string& field) {
    const auto index = dravel::config::conditionFieldIndex(field);
    return index ? pinItem(*index) : toQString(field);
}

QString kindText(const std::string& field) {
    const auto index = dravel::config::conditionFieldIndex(field);
    return index ? kindItem(*index) : toQString(field);
}

QString fileNameOf(const QString& path) {
    return toQString(dravel::config::audioFileName(toStdString(path)));
}

}  // namespace

const QString TBedingungen::kAudioFileFilter =
    QStringLiteral("WAV Dateien (*.wav);;MP3 Dateien (*mp3)");

// ---------------------------------------------------------------------------
// ConditionListModel

void ConditionListModel::setEntries(std::vector<ConditionEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

const ConditionEntry& ConditionListModel::entry(int row) const {
    return entries_.at(static_cast<std::size_t>(row));
}

void ConditionListModel::append(ConditionEntry entry) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    entries_.push_back(std::move(entry));
    endInsertRows();
}

void ConditionListModel::remove(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
}

int ConditionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int ConditionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant ConditionListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return text(entries_[static_cast<std::size_t>(index.row())], index.column());
}

QVariant ConditionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= Count)
        return {};
    return QString::fromUtf8(kColumns[static_cast<std::size_t>(section)].title);
}

QString ConditionListModel::text(const ConditionEntry& entry, int column) const {
    switch (column) {
        case PinText:
            return pinText(entry.pin);
        case KindText:
            return kindText(entry.kind);
        case Code:
            return toQString(entry.code);
        case Description:
            return toQString(entry.description);
        case AudioFile:
            return toQString(dravel::config::audioFileName(entry.audioPath));
        case Kind:
            return toQString(entry.kind);
        case Pin:
            return toQString(entry.pin);
        case AudioPath:
            return toQString(entry.audioPath);
    }
    return {};
}

// ---------------------------------------------------------------------------
// TBedingungen

TBedingungen::TBedingungen(QWidget* parent)
    : SettingsDialog(parent),
      ui(std::make_unique<Ui::Bedingungen>()),
      model_(new ConditionListModel(this)),
      PopupMenu(new QMenu(this)) {
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    dravel::ui::acceptOnlyFileText(ui->Beschreibung);
    setUpControls();
    setUpList();
    connectHandlers();
    dravel::ui::guarded(this, [this] { FormCreate(); });
}

TBedingungen::~TBedingungen() = default;

void TBedingungen::setUpControls() {
    ui->Art->setItems({kindItem(0), kindItem(1), kindItem(2)});
    for (int pin = 0; pin < dravel::config::kPinCount; ++pin) ui->Pin->addItem(pinItem(pin));
    ui->Pin->setCurrentIndex(-1);
    for (const AlarmCodeKind kind : dravel::config::kAlarmCodeKinds) {
        auto* panel = new AlarmCodePanel(kind, ui->Einstell);
        panel->move(kPanelPosition);
        panel->hide();
        panels_[static_cast<std::size_t>(kind)] = panel;
    }
    QWidget* previous = ui->Beschreibung;
    for (const AlarmCodePanel* panel : panels_) previous = panel->placeInTabOrderAfter(previous);
    for (QWidget* next :
         {static_cast<QWidget*>(ui->Eintragen), static_cast<QWidget*>(ui->Ubersicht),
          static_cast<QWidget*>(ui->ok), static_cast<QWidget*>(ui->BitBtn3)}) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    ui->Abspielen->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupMenu->addAction(ui->ndern1);
    PopupMenu->addAction(ui->Lschen1);
}

void TBedingungen::setUpList() {
    QTableView* list = ui->Ubersicht;
    list->setModel(model_);
    list->setTabKeyNavigation(false);  // Tab leaves the list; the arrows move in it
    QHeaderView* header = list->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    for (int column = 0; column < ConditionListModel::Count; ++column) {
        const int width = kColumns[static_cast<std::size_t>(column)].width;
        if (width == 0)
            list->setColumnHidden(column, true);
        else
            list->setColumnWidth(column, width);
    }
    // Uniform row heights keep a list of thousands of entries quick to show.
    QHeaderView* rows = list->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(list->fontMetrics().height() + 4);
}

void TBedingungen::connectHandlers() {
    connectGuarded(ui->Art, &dravel::ui::RadioGroup::itemSelected, this, &TBedingungen::ArtClick);
    connectGuarded(ui->Eintragen, &QPushButton::clicked, this, &TBedingungen::EintragenClick);
    connectGuarded(ui->ndern1, &QAction::triggered, this, &TBedingungen::ndern1Click);
    ui->Ubersicht->viewport()->installEventFilter(this);
    connectGuarded(ui->Lschen1, &QAction::triggered, this, &TBedingungen::Lschen1Click);
    connectGuarded(ui->andern, &QPushButton::clicked, this, &TBedingungen::andernClick);
    connectGuarded(ui->Button1, &QPushButton::clicked, this, &TBedingungen::Button1Click);
    connectGuarded(ui->Abspielen, &QToolButton::clicked, this, &TBedingungen::AbspielenClick);
    connectGuarded(ui->ok, &QPushButton::clicked, this, &TBedingungen::okClick);
    connectGuarded(ui->BitBtn3, &QPushButton::clicked, this, &TBedingungen::reject);
    connectGuarded(ui->Ubersicht, &QWidget::customContextMenuRequested, this,
                   &TBedingungen::showPopupMenu);
}

// A failure while reading is shown, and the editor still opens with the
// entries read before it.
void TBedingungen::FormCreate() {
    setAudioPath({});
    auto [entries, error, read] =
        dravel::config::readConditionList(dravel::devices::programDirectory());
    model_->setEntries(std::move(entries));
    readFailure_ = error;
    read_ = read;
    if (error) MessageBoxes::error(this, dravel::ui::withFullStop(toQString(*error)));
}

void TBedingungen::ArtClick(int kindIndex) {
    for (AlarmCodePanel* panel : panels_) panel->hide();
    if (AlarmCodePanel* panel = panelOf(kindIndex)) panel->show();
}

void TBedingungen::EintragenClick() {
    const int kindIndex = ui->Art->itemIndex();
    if (kindIndex < 0) {
        MessageBoxes::plain(this, QStringLiteral("Bitte Art auswählen"));
        ui->Art->button(0)->setFocus();
        return;
    }
    const bool entryComplete = checkEntry();
    // The code is composed even after a failed check, so its message can
    // follow the first one at once.
    const std::optional<QString> code = panelOf(kindIndex)->composeCode(this);
    if (!entryComplete || !code) return;
    ui->kennung->setText(*code);
    addEntry(kindIndex, *code);
    clearEditor(panelOf(kindIndex));
}

// Pin, then description; only the first failure is reported.
bool TBedingungen::checkEntry() {
    if (ui->Pin->currentIndex() < 0) {
        MessageBoxes::plain(this, QStringLiteral("Bitte Pin auswählen"));
        ui->Pin->setFocus();
        return false;
    }
    if (ui->Beschreibung->text().isEmpty()) {
        MessageBoxes::plain(this, QStringLiteral("Bitte Beschreibung angeben"));
        ui->Beschreibung->setFocus();
        return false;
    }
    return true;
}

void TBedingungen::addEntry(int kindIndex, const QString& code) {
    const QString audioPath = ui->Pfad->text();
    model_->append({std::to_string(ui->Pin->currentIndex()), std::to_string(kindIndex),
                    toStdString(ui->Beschreibung->text()), toStdString(code),
                    toStdString(audioPath)});
    // Names the audio file the new entry plays; an empty box for none.
    MessageBoxes::plain(this, audioPath);
}

// The panel of the kind just used stays visible; clearing the kind selector
// runs no handler.
void TBedingungen::clearEditor(AlarmCodePanel* usedPanel) {
    ui->Pin->setCurrentIndex(-1);
    ui->Art->setItemIndex(-1);
    ui->Beschreibung->clear();
    setAudioPath({});
    ui->kennung->clear();
    usedPanel->clearSelection();
}

// A double click anywhere in the list, also below its last row, takes the
// selected entry back like "Ändern". The list itself does not see it: it
// would select the row that moved up under the mouse.
bool TBedingungen::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->Ubersicht->viewport() || event->type() != QEvent::MouseButtonDblClick)
        return SettingsDialog::eventFilter(watched, event);
    dravel::ui::guarded(this, [this] { ndern1Click(); });
    return true;
}

// The selected entry moves into the editor, replacing what it held; it
// returns to the list, at its end, only when it is added again.
void TBedingungen::ndern1Click() {
    const int row = selectedRow();
    if (row < 0) return;
    const ConditionEntry entry = model_->entry(row);
    const auto kindIndex = dravel::config::conditionFieldIndex(entry.kind);
    ui->Art->setItemIndex(kindIndex.value_or(-1));
    ui->Pin->setCurrentIndex(dravel::config::conditionFieldIndex(entry.pin).value_or(-1));
    setAudioPath(toQString(entry.audioPath));
    ui->kennung->setText(toQString(entry.code));
    ui->Beschreibung->setText(toQString(entry.description));
    if (AlarmCodePanel* panel = panelOf(kindIndex.value_or(-1)))
        panel->preselect(toQString(entry.code));
    model_->remove(row);
    ui->Ubersicht->clearSelection();
}

void TBedingungen::showPopupMenu(const QPoint& at) {
    PopupMenu->popup(ui->Ubersicht->viewport()->mapToGlobal(at));
}

void TBedingungen::Lschen1Click() {
    if (!MessageBoxes::confirm(this, QStringLiteral("Zeile Wirklich löschen?"))) return;
    model_->remove(selectedRow());
    ui->Ubersicht->clearSelection();
}

void TBedingungen::andernClick() {
    const QString chosen = dravel::ui::chooseSoundFile(this, kAudioFileFilter, ui->Pfad->text());
    const bool taken = !chosen.isEmpty() && dravel::ui::pathFitsTheFiles(this, chosen);
    setAudioPath(taken ? QDir::toNativeSeparators(chosen) : ui->Pfad->text());
}

void TBedingungen::Button1Click() {
    if (!ui->Pfad->text().isEmpty()) setAudioPath({});
}

void TBedingungen::AbspielenClick() {
    dravel::ui::playSoundPreview(this, ui->Pfad->text());
}

// A failed write leaves the previous file whole (it is replaced only when
// the new one is complete) and the dialog open, so the list is not lost. A
// list that was not read whole is not written: the dialog closes unsaved.
void TBedingungen::okClick() {
    const std::string directory = dravel::devices::programDirectory();
    if (readFailure_) {
        MessageBoxes::error(
            this, dravel::ui::withFullStop(
                      toQString(dravel::config::listNotReadWholeMessage(directory, *readFailure_) +
                                "; die Änderungen werden nicht gespeichert")));
        QDialog::reject();
        return;
    }
    if (!mayOverwriteTheFile(directory)) return;
    const auto warning =
        dravel::config::writeConditionList(directory, model_->entries(), kHistoryCommand);
    if (warning) MessageBoxes::warning(this, toQString(*warning));
    accept();
}

// A file someone else saved since it was read is not overwritten unasked:
// "Ja" saves over it; else the user may take the file's list instead of this
// one, and the editor stays open either way.
bool TBedingungen::mayOverwriteTheFile(const std::string& directory) {
    if (!dravel::config::conditionListChangedSince(directory, read_)) return true;
    if (MessageBoxes::confirm(this,
                              toQString(dravel::config::conditionListChangedQuestion(directory))))
        return true;
    if (MessageBoxes::confirm(this, QStringLiteral("Die Liste aus der Datei neu laden? Die "
                                                   "Änderungen in diesem Fenster gehen dabei "
                                                   "verloren.")))
        FormCreate();
    return false;
}

void TBedingungen::setAudioPath(const QString& path) {
    ui->Pfad->setText(path);
    ui->Datei->setText(fileNameOf(path));
}

int TBedingungen::selectedRow() const {
    const QModelIndexList rows = ui->Ubersicht->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

AlarmCodePanel* TBedingungen::panelOf(int kindIndex) const {
    const auto kind = dravel::config::conditionKind(kindIndex);
    return kind ? panels_[static_cast<std::size_t>(*kind)] : nullptr;
}

}  // namespace dravel::dialogs
