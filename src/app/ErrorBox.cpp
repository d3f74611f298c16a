#include "app/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

ErrorBoxHandler& handler() {
    static ErrorBoxHandler instance;
    return instance;
}

} // namespace

void ShowErrorBox(const QString& message, QWidget* parent) {
    if (handler()) {
        handler()(message);
        return;
    }
    QMessageBox::critical(parent ? parent : QApplication::activeWindow(),
                          QApplication::applicationDisplayName(), message);
}

void SetErrorBoxHandler(ErrorBoxHandler newHandler) {
    handler() = std::move(newHandler);
}
