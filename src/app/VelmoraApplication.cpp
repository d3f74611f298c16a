#include "app/VelmoraApplication.h"

#include "app/ErrorBox.h"

#include <exception>

VelmoraApplication::VelmoraApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelmoraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowErrorBox(QString());
    }
    return false;
}
