#include "ui/MessageBoxes.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "ui/Text.h"

namespace dravel::ui {
namespace {

BoxResponder& responder() {
    static BoxResponder current;
    return current;
}

QMessageBox::Icon iconOf(BoxKind kind) {
    switch (kind) {
        case BoxKind::Plain:
            return QMessageBox::NoIcon;
        case BoxKind::Confirmation:
            return QMessageBox::Question;
        case BoxKind::Information:
            return QMessageBox::Information;
        case BoxKind::Warning:
            return QMessageBox::Warning;
        case BoxKind::Error:
        case BoxKind::System:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The nearest shown window from the parent up, or none.
QWidget* shownWindowAbove(QWidget* parent) {
    for (QWidget* w = parent ? parent->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (w->isVisible()) return w;
    return nullptr;
}

// Qt answers the close button with the escape button; this box tells the
// two apart, since Escape is "Nein" but the close button is not.
//
// Qt centres a box on its parent's window even when that window is not shown
// yet (a dialog still being loaded, the main window during start-up) and so
// still stands at the top-left corner of the screen. Such a box is centred on
// the nearest shown window above it, else on the screen, as the platform's
// own boxes are.
class ProgramBox : public QMessageBox {
public:
    ProgramBox(Icon icon, const QString& title, const QString& text, QWidget* parent)
        : QMessageBox(icon, title, text, NoButton, parent),
          placeByHand_(parent && !parent->window()->isVisible()),
          anchor_(shownWindowAbove(parent)) {}
    bool closedByCloseButton() const { return closed_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        closed_ = true;
        QMessageBox::closeEvent(event);
    }

    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (!placeByHand_) return;
        QRect frame = frameGeometry();
        if (anchor_) {
            frame.moveCenter(anchor_->frameGeometry().center());
        } else if (const QScreen* screen = this->screen()) {
            frame.moveCenter(screen->availableGeometry().center());
        }
        move(frame.topLeft());
    }

private:
    bool closed_ = false;
    const bool placeByHand_;
    QPointer<QWidget> anchor_;
};

Answer runRealBox(QWidget* parent, const BoxRequest& request) {
    ProgramBox box(iconOf(request.kind), request.title, displayText(request.text), parent);
    if (request.kind != BoxKind::Confirmation) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return Answer::Closed;
    }
    QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.closedByCloseButton()) return Answer::Closed;
    return box.clickedButton() == yes ? Answer::Ja : Answer::Nein;
}

}  // namespace

QString MessageBoxes::programTitle() {
    return QStringLiteral("Dravel");
}

Answer MessageBoxes::show(QWidget* parent, const BoxRequest& request) {
    if (responder()) return responder()(request);
    return runRealBox(parent, request);
}

void MessageBoxes::plain(QWidget* parent, const QString& text) {
    show(parent, {BoxKind::Plain, programTitle(), text});
}

Answer MessageBoxes::ask(QWidget* parent, const QString& question) {
    return show(parent, {BoxKind::Confirmation, QStringLiteral("Bestätigung"), question});
}

bool MessageBoxes::confirm(QWidget* parent, const QString& question) {
    return ask(parent, question) == Answer::Ja;
}

void MessageBoxes::information(QWidget* parent, const QString& text) {
    show(parent, {BoxKind::Information, QStringLiteral("Informationen"), text});
}

void MessageBoxes::warning(QWidget* parent, const QString& text) {
    show(parent, {BoxKind::Warning, QStringLiteral("Warnung"), text});
}

void MessageBoxes::error(QWidget* parent, const QString& text) {
    error(parent, text, programTitle());
}

void MessageBoxes::error(QWidget* parent, const QString& text, const QString& title) {
    show(parent, {BoxKind::Error, title, text});
}

void MessageBoxes::system(const QString& text) {
    show(nullptr, {BoxKind::System, QStringLiteral("Fehler"), text});
}

BoxResponder replaceBoxResponder(BoxResponder replacement) {
    std::swap(responder(), replacement);
    return replacement;
}

}  // namespace dravel::ui
