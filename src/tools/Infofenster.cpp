#include "tools/Infofenster.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>
#include <string>

#include "devices/system/Companion.h"
#include "devices/system/ProgramDirectory.h"
#include "devices/version/FileVersion.h"
#include "tools/ui_Infofenster.h"
#include "ui/WindowGeometry.h"

namespace dravel::tools {

namespace {

// Outer size of the window, frame included.
constexpr int kOuterWidth = 339;
constexpr int kOuterHeight = 425;

#ifdef Q_OS_WIN
constexpr char kExecutableSuffix[] = ".exe";
#else
constexpr char kExecutableSuffix[] = "";
#endif

QString versionLine(const std::string& path) {
    return QStringLiteral("Version: ") +
           QString::fromStdString(dravel::devices::FileVersionText(path));
}

// The names are fixed: a copy of this program under another name still shows the version of the
// file called Dravel in its directory. The companion is the one the alarm simulation starts.
std::string ownProgramPath() {
    return dravel::devices::programDirectory() + "Dravel" + kExecutableSuffix;
}

// Windows' tree view with hot tracking: the item under the mouse is drawn underlined in the link
// colour, whatever the style draws for the mouse.
class HotTrackDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_MouseOver)) return;
        option->font.setUnderline(true);
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Link));
    }
};

bool isOnPathTo(const QTreeWidgetItem* item, const QTreeWidgetItem* selected) {
    for (const QTreeWidgetItem* at = selected; at != nullptr; at = at->parent()) {
        if (at == item) {
            return true;
        }
    }
    return false;
}

}  // namespace

Tinfo::Tinfo(QWidget* parent) : FixedDialog(parent), ui(std::make_unique<Ui::info>()) {
    ui->setupUi(this);
    dravel::ui::setOuterSize(this, kOuterWidth, kOuterHeight);

    ui->Dravel_version->setText(versionLine(ownProgramPath()));
    ui->Kalvor_Version->setText(versionLine(dravel::devices::companionProgramPath()));
    setUpNote();
    setUpHistory();
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

Tinfo::~Tinfo() = default;

// The note reads as part of the window, not as a field.
void Tinfo::setUpNote() {
    QPalette palette = ui->Memo1->palette();
    palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
    ui->Memo1->setPalette(palette);
    ui->Memo1->document()->setDocumentMargin(0);
}

void Tinfo::setUpHistory() {
    // Long entries scroll sideways, as in a tree view, instead of being cut short.
    ui->TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->TreeView1->header()->setStretchLastSection(false);
    ui->TreeView1->viewport()->setAttribute(Qt::WA_Hover);
    ui->TreeView1->setMouseTracking(true);
    ui->TreeView1->setItemDelegate(new HotTrackDelegate(ui->TreeView1));
    // Only the user's selection opens a branch: the item that Qt makes current when the tree
    // takes the focus is not selected. Deferred until the click that changed the selection is
    // handled: collapsing moves the rows under the mouse, and the view would otherwise finish
    // the click on the wrong row.
    connect(ui->TreeView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        QMetaObject::invokeMethod(this, &Tinfo::expandSelected, Qt::QueuedConnection);
    });
    // The window opens on "Zurück", so that the tree shows no current item either.
    ui->Button1->setFocus();
}

void Tinfo::expandSelected() {
    const QList<QTreeWidgetItem*> selected = ui->TreeView1->selectedItems();
    expandOnly(selected.isEmpty() ? nullptr : selected.first());
}

void Tinfo::expandOnly(QTreeWidgetItem* selected) {
    for (QTreeWidgetItemIterator it(ui->TreeView1); *it != nullptr; ++it) {
        (*it)->setExpanded(isOnPathTo(*it, selected));
    }
}

}  // namespace dravel::tools
