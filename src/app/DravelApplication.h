#pragma once

#include <QApplication>

namespace dravel::app {

// The application object: the program's title, icon and font, Qt's own texts
// in German, and a last guard that keeps an exception from ever reaching Qt's
// event loop.
class DravelApplication : public QApplication {
public:
    DravelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace dravel::app
