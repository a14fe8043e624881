#include "dialogs/Funktionsprobe.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "config/settings/TimeOfDay.h"
#include "dialogs/ui_Funktionsprobe.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Selectors.h"
#include "ui/Text.h"

using dravel::config::ScheduleSettings;
using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;
using dravel::ui::selectedIndex;
using dravel::ui::selectStoredIndex;

namespace dravel::dialogs {

namespace {
constexpr int kOuterWidth = 323;
constexpr int kOuterHeight = 420;
constexpr int kDaysInMonth = 31;
constexpr int kMaxDurationDigits = 4;
constexpr QChar kMaskBlank = QLatin1Char('_');

const QString kIncompleteTime = QStringLiteral(
    "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");

bool isDigitKey(const QKeyEvent& key) {
    const QString text = key.text();
    return text.size() == 1 && text[0].isDigit() && text[0].unicode() < 0x80 &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

bool isClipboardOrUndo(const QKeyEvent& key) {
    for (auto shortcut : {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Copy,
                          QKeySequence::Undo, QKeySequence::Redo})
        if (key.matches(shortcut)) return true;
    return false;
}

// Keys that type no character: cursor movement, Delete, and Tab moving on.
bool typesNothing(const QKeyEvent& key) {
    if (isClipboardOrUndo(key)) return false;
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
        case Qt::Key_Return:  // reaches the dialog: "Übernehmen"
        case Qt::Key_Enter:
            return true;
        default:
            return key.text().isEmpty();
    }
}
}  // namespace

TFunktions::TFunktions(QWidget* parent)
    : SettingsDialog(parent), ui(std::make_unique<Ui::Funktions>()) {
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

    ui->Tage->setItems(
        {QStringLiteral("Keine Deaktivierung"),
         QStringLiteral("Jeden") + QString(19, QLatin1Char(' ')),
         QStringLiteral("Jeden") + QString(45, QLatin1Char(' ')) + QStringLiteral("im Monat"),
         QStringLiteral("Jeden") + QString(16, QLatin1Char(' ')) + QStringLiteral("im Monat"),
         QStringLiteral("Täglich")});
    ui->Tage->setItemIndex(ScheduleSettings::None);
    for (int day = 1; day <= kDaysInMonth; ++day)
        ui->Tag_Monat->addItem(QString::number(day) + QLatin1Char('.'));
    for (QComboBox* box : {ui->Wochentag1, ui->ZahlWochentag2, ui->Wochentag2, ui->Tag_Monat})
        box->setCurrentIndex(-1);

    ui->Uhrzeit->installEventFilter(this);
    ui->Uhrzeit->setContextMenuPolicy(Qt::NoContextMenu);
    ui->Uhrzeit->setAcceptDrops(false);
    ui->dauer->installEventFilter(this);
    ui->dauer->setContextMenuPolicy(Qt::NoContextMenu);
    ui->dauer->setAcceptDrops(false);

    connectGuarded(ui->Tage, &dravel::ui::RadioGroup::itemSelected, this, &TFunktions::TageClick);
    focusConnection_ =
        connectGuarded(qApp, &QApplication::focusChanged, this, &TFunktions::focusMoved);
    connect(ui->ok, &QPushButton::clicked, this, &TFunktions::accept);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFunktions::reject);
    TageClick();
    setFormTabOrder();
}

// The fields are destroyed after this body, and the focus leaving one of
// them is still announced; by then the form is gone, so stop listening first.
TFunktions::~TFunktions() {
    disconnect(focusConnection_);
}

void TFunktions::setValues(const Values& values) {
    const int lastItem = static_cast<int>(ui->Tage->items().size()) - 1;
    ui->Tage->setItemIndex(values.kind < 0 ? -1 : std::min(values.kind, lastItem));
    focusTage();
    selectStoredIndex(ui->Wochentag1, values.weekday1);
    selectStoredIndex(ui->Wochentag2, values.weekday2);
    selectStoredIndex(ui->ZahlWochentag2, values.weekdayInMonth);
    selectStoredIndex(ui->Tag_Monat, values.dayOfMonth);
    QString time = dravel::ui::toQString(dravel::config::fitToTimeField(values.time));
    ui->Uhrzeit->setText(time.replace(QLatin1Char(' '), kMaskBlank));
    ui->dauer->setText(dravel::ui::toQString(values.duration));
}

TFunktions::Values TFunktions::values() const {
    Values v;
    v.kind = ui->Tage->itemIndex();
    v.weekday1 = selectedIndex(ui->Wochentag1);
    v.weekday2 = selectedIndex(ui->Wochentag2);
    v.weekdayInMonth = selectedIndex(ui->ZahlWochentag2);
    v.dayOfMonth = selectedIndex(ui->Tag_Monat);
    v.time = dravel::ui::toStdString(timeText());
    v.duration = dravel::ui::toStdString(ui->dauer->text());
    return v;
}

// The buttons of Tage are made after the form's other controls, so Qt would
// put them last; the form has Tage first, then the controls in their order.
void TFunktions::setFormTabOrder() {
    std::vector<QWidget*> order;
    for (int item = 0; item < static_cast<int>(ui->Tage->items().size()); ++item)
        order.push_back(ui->Tage->button(item));
    order.insert(order.end(), {ui->Wochentag1, ui->ZahlWochentag2, ui->Wochentag2, ui->Tag_Monat,
                               ui->Uhrzeit, ui->dauer, ui->ok, ui->BitBtn1});
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    focusTage();
}

// The dialog opens on Tage, at its selected item, as a radio group takes the
// focus; the time field is not entered before the user enters it.
void TFunktions::focusTage() {
    QRadioButton* selected = ui->Tage->button(ui->Tage->itemIndex());
    (selected ? selected : ui->Tage->button(0))->setFocus();
}

// "Übernehmen" (a click or Return) checks the time again, however the field
// was left before: a time that is refused is never written. (After a click
// the focus may come back only later, once the message has gone.)
void TFunktions::accept() {
    if (ui->Uhrzeit->isEnabled() && checkTime() != TimeCheck::Passes) {
        if (!refusing_) UhrzeitExit();
        return;
    }
    SettingsDialog::accept();
}

// What the field held when it got the focus: a time that passed, or the
// stored one. Escape and disabling the field go back to it.
void TFunktions::restoreTimeText() {
    ui->Uhrzeit->setText(timeTextAtFocus_);
    inTimeField_ = false;
}

// Each control goes straight to its new state: disabling the time field for
// a moment would throw its focus to "Übernehmen" and past the time check.
void TFunktions::TageClick() {
    std::vector<QWidget*> enabled;
    switch (ui->Tage->itemIndex()) {
        case ScheduleSettings::Weekly:
            enabled = {ui->Wochentag1, ui->Uhrzeit, ui->dauer};
            break;
        case ScheduleSettings::MonthlyByWeekday:
            enabled = {ui->ZahlWochentag2, ui->Wochentag2, ui->Uhrzeit, ui->dauer};
            break;
        case ScheduleSettings::MonthlyByDay:
            enabled = {ui->Tag_Monat, ui->Uhrzeit, ui->dauer};
            break;
        case ScheduleSettings::Daily:
            enabled = {ui->Uhrzeit, ui->dauer};
            break;
        default:
            break;
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->Wochentag1, ui->Wochentag2, ui->ZahlWochentag2,
                                         ui->Tag_Monat, ui->Uhrzeit, ui->dauer})
        w->setEnabled(std::find(enabled.begin(), enabled.end(), w) != enabled.end());
    // A refused time does not stay behind in a field the user can no longer edit.
    if (!ui->Uhrzeit->isEnabled() && inTimeField_ && checkTime() != TimeCheck::Passes)
        restoreTimeText();
}

bool TFunktions::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->Uhrzeit && watched != ui->dauer)
        return SettingsDialog::eventFilter(watched, event);
    auto* field = static_cast<QLineEdit*>(watched);
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (field == ui->Uhrzeit && key.key() == Qt::Key_Escape &&
                ui->Uhrzeit->text() != timeTextAtFocus_) {
                restoreTimeText();  // as the refusal's message promises
                return true;
            }
            return field == ui->Uhrzeit ? !UhrzeitKeyPress(key) : !dauerKeyPress(key);
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton) return false;
            pasteSelection(field);
            return true;
        case QEvent::InputMethod:
            typeInto(field, static_cast<QInputMethodEvent*>(event)->commitString());
            return true;
        default:
            return false;
    }
}

// The middle button pastes the X11 selection, as a line edit does, but
// only what the keys could have typed gets in.
void TFunktions::pasteSelection(QLineEdit* field) {
    const QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection()) return;
    field->deselect();
    typeInto(field, clipboard->text(QClipboard::Selection));
}

// Text that comes any other way than by the keys (the pasted selection, an
// input method) is typed character by character, through the key filter.
void TFunktions::typeInto(QLineEdit* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(field, &key);
    }
}

// Digits and Backspace; the mask places the digits and skips the colon.
bool TFunktions::UhrzeitKeyPress(const QKeyEvent& key) const {
    return key.key() == Qt::Key_Backspace || isDigitKey(key) || typesNothing(key);
}

// At most four digits can be typed; the value itself is not checked.
bool TFunktions::dauerKeyPress(const QKeyEvent& key) const {
    if (key.key() == Qt::Key_Backspace || typesNothing(key)) return true;
    return isDigitKey(key) && ui->dauer->text().size() < kMaxDurationDigits;
}

// The time field is left when another control of this dialog takes the
// focus; a disabled field is not being left by the user.
// Every move to another control of this dialog while the field holds a time
// that did not pass is checked, also when the focus came back from a message
// by another way than through the field. "Übernehmen" checks for itself when
// it is pressed: checking on its focus too would say it twice for one click.
void TFunktions::focusMoved(QWidget* /*from*/, QWidget* to) {
    if (to == ui->Uhrzeit && !inTimeField_) {
        inTimeField_ = true;
        timeTextAtFocus_ = ui->Uhrzeit->text();
    }
    if (inTimeField_ && !refusing_ && to && to != ui->Uhrzeit && to != ui->ok && isAncestorOf(to) &&
        ui->Uhrzeit->isEnabled())
        UhrzeitExit();
}

// Once the time field has had the focus it can only be left with a time of
// day in it; an edited field with a digit missing refuses first, in the
// words of the platform's masked edit.
void TFunktions::UhrzeitExit() {
    const TimeCheck check = checkTime();
    if (check == TimeCheck::Passes) {
        inTimeField_ = false;
        return;
    }
    refusing_ = true;
    switch (check) {
        case TimeCheck::Passes:
            break;
        case TimeCheck::Incomplete:
            QApplication::beep();
            MessageBoxes::error(this, kIncompleteTime);
            break;
        case TimeCheck::NotATime:
            MessageBoxes::plain(this, QLatin1Char('"') + timeText() +
                                          QStringLiteral("\" ist keine gültige Uhrzeit"));
            break;
    }
    refusing_ = false;
    ui->Uhrzeit->setFocus();
}

TFunktions::TimeCheck TFunktions::checkTime() const {
    if (ui->Uhrzeit->isModified() && !ui->Uhrzeit->hasAcceptableInput())
        return TimeCheck::Incomplete;
    if (!dravel::config::parseTimeOfDay(dravel::ui::toStdString(timeText())))
        return TimeCheck::NotATime;
    return TimeCheck::Passes;
}

// The field's text with a blank for every unfilled position, as it is stored.
QString TFunktions::timeText() const {
    return ui->Uhrzeit->displayText().replace(kMaskBlank, QLatin1Char(' '));
}

}  // namespace dravel::dialogs
