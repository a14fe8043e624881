#include "ui/AlarmCodePanel.h"

#include <QComboBox>
#include <QLabel>
#include <array>

#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace dravel::ui {
namespace {

using config::AlarmCodeKind;

constexpr int kSelectorWidth = 33;
constexpr int kSelectorHeight = 19;
constexpr int kLabelTop = 20;
constexpr int kLabelHeight = 13;
constexpr int kPanelHeight = 90;

// A label over a run of selectors; width 0 sizes the label to its text.
struct LabelLayout {
    const char* text;
    int left;
    int width;
};

struct PanelLayout {
    const char* caption;
    int width;
    int selectorTop;
    std::array<int, 10> selectorLefts;  // by position; only positionCount() are used
    std::vector<LabelLayout> labels;
};

const PanelLayout& layoutOf(AlarmCodeKind kind) {
    static const std::array<PanelLayout, 3> layouts = {{
        {"5-Ton", 265, 35, {50, 80, 110, 140, 170}, {}},
        {"POSAC",
         321,
         40,
         {10, 40, 70, 100, 130, 160, 190, 234},
         {{"RIC", 16, 0}, {"Funktion", 232, 0}}},
        {"FMS",
         433,
         40,
         {10, 50, 100, 130, 180, 210, 240, 270, 320, 370},
         {{"BOS", 10, 33},
          {"Land", 50, 33},
          {"Ort", 100, 63},
          {"Fahrzeug", 180, 123},
          {"Status", 320, 33},
          {"Richtung", 362, 49}}},
    }};
    return layouts[static_cast<std::size_t>(kind)];
}

// How many items a selector's list shows when dropped down.
int visibleItemCount(AlarmCodeKind kind, int position) {
    if (kind == AlarmCodeKind::Fms) return 18;
    if (kind == AlarmCodeKind::Posac && position == 8) return 8;
    return 12;
}

}  // namespace

AlarmCodePanel::AlarmCodePanel(AlarmCodeKind kind, QWidget* parent)
    : QGroupBox(parent), kind_(kind) {
    const PanelLayout& layout = layoutOf(kind);
    setObjectName(toQString(std::string(config::panelName(kind))));
    setTitle(QString::fromUtf8(layout.caption));
    resize(layout.width, kPanelHeight);
    for (const LabelLayout& label : layout.labels)
        addLabel(QString::fromUtf8(label.text), label.left, label.width);
    for (int position = 1; position <= config::positionCount(kind); ++position)
        addSelector(position, layout.selectorLefts[static_cast<std::size_t>(position - 1)],
                    layout.selectorTop);
}

void AlarmCodePanel::addSelector(int position, int left, int top) {
    auto* box = new QComboBox(this);
    box->setObjectName(toQString(config::selectorName(kind_, position)));
    for (const char item : config::positionItems(kind_, position))
        box->addItem(QString(QLatin1Char(item)));
    box->setCurrentIndex(-1);
    box->setMaxVisibleItems(visibleItemCount(kind_, position));
    box->move(left, top);
    box->setFixedSize(kSelectorWidth, kSelectorHeight);
    selectors_.push_back(box);
}

void AlarmCodePanel::addLabel(const QString& text, int left, int width) {
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    if (width > 0) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(left, kLabelTop, width, kLabelHeight);
    } else {
        label->move(left, kLabelTop);
        label->adjustSize();
    }
}

QComboBox* AlarmCodePanel::selector(int position) const {
    if (position < 1 || position > positionCount()) return nullptr;
    return selectors_[static_cast<std::size_t>(position - 1)];
}

QWidget* AlarmCodePanel::placeInTabOrderAfter(QWidget* previous) const {
    for (QComboBox* box : selectors_) {
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    return previous;
}

std::optional<QString> AlarmCodePanel::code() const {
    std::vector<int> selected;
    selected.reserve(selectors_.size());
    for (const QComboBox* box : selectors_) selected.push_back(box->currentIndex());
    const auto composed = config::composeAlarmCode(kind_, selected);
    if (!composed) return std::nullopt;
    return toQString(*composed);
}

std::optional<QString> AlarmCodePanel::composeCode(QWidget* messageParent) const {
    auto composed = code();
    if (!composed)
        MessageBoxes::plain(messageParent,
                            toQString(std::string(config::kIncompleteAlarmCodeMessage)));
    return composed;
}

void AlarmCodePanel::preselect(const QString& code) {
    const std::vector<int> indexes = config::alarmCodeItemIndexes(kind_, toStdString(code));
    for (std::size_t i = 0; i < selectors_.size(); ++i)
        selectors_[i]->setCurrentIndex(i < indexes.size() ? indexes[i] : -1);
}

void AlarmCodePanel::clearSelection() {
    for (QComboBox* box : selectors_) box->setCurrentIndex(-1);
}

}  // namespace dravel::ui
