#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dravel::ui {

// The program's kinds of message box; every box goes through this module.
enum class BoxKind {
    Plain,         // no icon, "OK", the program's title as caption
    Confirmation,  // "Bestätigung", question icon, "Ja"/"Nein", Escape = "Nein"
    Information,   // "Informationen", information icon, "OK"
    Warning,       // "Warnung", warning icon, "OK"
    Error,         // the default error handler's box: error icon, "OK"
    System         // the system's own box with no owner: error icon, "OK"
};

struct BoxRequest {
    BoxKind kind;
    QString title;
    QString text;  // exactly as the program words it (LF CR breaks kept)
};

// How a confirmation box was answered. Closing it with its close button is
// no "Nein": a question about leaving unsaved lets the dialog close then.
struct Answer {
    enum Kind { Nein, Ja, Closed };
    constexpr Answer(Kind answer) : kind(answer) {}
    // A responder may answer a plain yes or no.
    constexpr Answer(bool ja) : kind(ja ? Ja : Nein) {}
    friend constexpr bool operator==(Answer, Answer) = default;

    Kind kind;
};

// Answers a box instead of showing it; only confirmations use the answer.
using BoxResponder = std::function<Answer(const BoxRequest&)>;

class MessageBoxes {
public:
    static QString programTitle();

    static void plain(QWidget* parent, const QString& text);
    static Answer ask(QWidget* parent, const QString& question);
    static bool confirm(QWidget* parent, const QString& question);  // true = "Ja"
    static void information(QWidget* parent, const QString& text);
    static void warning(QWidget* parent, const QString& text);
    static void error(QWidget* parent, const QString& text);
    // An error box with a caption of its own instead of the program's title.
    static void error(QWidget* parent, const QString& text, const QString& title);
    static void system(const QString& text);

private:
    static Answer show(QWidget* parent, const BoxRequest& request);
};

// Tests put a responder in; hands back what was there. Empty shows the real
// boxes.
BoxResponder replaceBoxResponder(BoxResponder responder);

}  // namespace dravel::ui
