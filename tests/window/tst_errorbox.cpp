// An exception that escapes an event handler reaches the standard error box and the program
// goes on. Runs its own application object, the one the program uses.

#include "app/ErrorBox.h"
#include "app/VelmoraApplication.h"

#include <QTimer>
#include <QtTest>
#include <stdexcept>

class ErrorBoxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void escapedExceptionsAreShown();
};

void ErrorBoxTest::escapedExceptionsAreShown() {
    QStringList shown;
    SetErrorBoxHandler([&](const QString& message) { shown << message; });
    int after = 0;
    QTimer::singleShot(0, [] { throw std::runtime_error("Деление на ноль"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(0, [&] { ++after; });
    QTRY_COMPARE(after, 1);
    QCOMPARE(shown, (QStringList{QStringLiteral("Деление на ноль"), QString()}));
    SetErrorBoxHandler({});
}

int main(int argc, char** argv) {
    VelmoraApplication app(argc, argv);
    ErrorBoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errorbox.moc"
