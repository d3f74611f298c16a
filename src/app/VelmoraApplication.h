#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler ends up here and is
// shown in the standard error box; the program goes on.
class VelmoraApplication : public QApplication {
public:
    VelmoraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
