#include "tools/Infofenster.h"

#include <QTreeWidgetItemIterator>
#include <string>

#include "devices/system/ProgramDirectory.h"
#include "devices/version/FileVersion.h"
#include "tools/ui_Infofenster.h"
#include "ui/SettingsDialog.h"

namespace {

// Outer size of the window, frame included, and the frame the window manager adds.
constexpr int kOuterWidth = 339;
constexpr int kOuterHeight = 425;
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 31;

#ifdef Q_OS_WIN
constexpr char kExecutableSuffix[] = ".exe";
#else
constexpr char kExecutableSuffix[] = "";
#endif

// The names are fixed: a copy of this program under another name still shows the version of the
// file called Dravel in its directory.
QString versionLine(const char* program) {
    const std::string path = dravel::devices::programDirectory() + program + kExecutableSuffix;
    return QStringLiteral("Version: ") +
           QString::fromStdString(dravel::devices::FileVersionText(path));
}

bool isOnPathTo(const QTreeWidgetItem* item, const QTreeWidgetItem* selected) {
    for (const QTreeWidgetItem* at = selected; at != nullptr; at = at->parent()) {
        if (at == item) {
            return true;
        }
    }
    return false;
}

}  // namespace

Tinfo::Tinfo(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::info>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kOuterWidth - kFrameWidth, kOuterHeight - kFrameHeight);

    ui->Dravel_version->setText(versionLine("Dravel"));
    ui->Kalvor_Version->setText(versionLine("Kalvor"));

    // The note reads as part of the window, not as a field.
    QPalette notePalette = ui->Memo1->palette();
    notePalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    ui->Memo1->setPalette(notePalette);

    ui->TreeView1->viewport()->setAttribute(Qt::WA_Hover);
    // Deferred until the click that changed the selection is handled: collapsing moves the rows
    // under the mouse, and the view would otherwise finish the click on the wrong row.
    connect(ui->TreeView1, &QTreeWidget::currentItemChanged, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { expandOnly(ui->TreeView1->currentItem()); }, Qt::QueuedConnection);
    });
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

Tinfo::~Tinfo() = default;

void Tinfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    dravel::ui::centerOnScreen(this);
}

void Tinfo::expandOnly(QTreeWidgetItem* selected) {
    for (QTreeWidgetItemIterator it(ui->TreeView1); *it != nullptr; ++it) {
        (*it)->setExpanded(isOnPathTo(*it, selected));
    }
}
