#pragma once

#include <QObject>
#include <QString>
#include <concepts>
#include <functional>

class QWidget;

namespace dravel::ui {

// The default error handler's wording: a full stop is added when the
// message's last character sorts after it.
QString withFullStop(const QString& message);

// Shows the error box for an exception that reached a handler.
void showException(QWidget* parent, const char* what);

// Runs a handler that a user action reached. Qt must never see an exception:
// any error is shown in the error box and the program goes on.
template <typename F>
void guarded(QWidget* parent, F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        showException(parent, e.what());
    } catch (...) {
        showException(parent, "Unbekannter Fehler");
    }
}

// Connects a signal to a member handler of a widget, inside the guard. The
// handler may take the signal's arguments or none of them.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&... args) {
        guarded(receiver, [&] {
            if constexpr (std::invocable<Handler, Receiver*, decltype(args)...>)
                std::invoke(handler, receiver, std::forward<decltype(args)>(args)...);
            else
                std::invoke(handler, receiver);
        });
    });
}

}  // namespace dravel::ui
