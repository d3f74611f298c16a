#include "serial/PortCatalog.h"

#include <QtTest>

// Port names as the system lists them (and as [Ports] keys are written) -> COM numbers.
class TestPortNames : public QObject {
    Q_OBJECT

private slots:
    void comNumber_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isComPort");
        QTest::addColumn<int>("number");

        QTest::newRow("COM1:") << "COM1:" << true << 1;
        QTest::newRow("COM12") << "COM12" << true << 12;
        QTest::newRow("lower case") << "com3" << true << 3;
        QTest::newRow("mixed case") << "Com7" << true << 7;
        QTest::newRow("COM123:") << "COM123:" << true << 123;
        QTest::newRow("only three characters count") << "COM1234" << true << 123;
        QTest::newRow("colon ends the number") << "COM4:5" << true << 4;
        QTest::newRow("digits stop at a letter") << "COM2X" << true << 2;
        QTest::newRow("COM alone") << "COM" << true << 0;
        QTest::newRow("no digit") << "COMX" << true << 0;
        QTest::newRow("colon first") << "COM:" << true << 0;
        QTest::newRow("leading space") << "COM 1" << true << 0;
        QTest::newRow("LPT1:") << "LPT1:" << false << 0;
        QTest::newRow("FILE:") << "FILE:" << false << 0;
        QTest::newRow("too short") << "CO" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("device path") << "/dev/ttyS0" << false << 0;
    }

    void comNumber() {
        QFETCH(QString, name);
        QFETCH(bool, isComPort);
        QFETCH(int, number);

        const std::optional<int> parsed = comNumberFromPortName(name);
        QCOMPARE(parsed.has_value(), isComPort);
        if (isComPort)
            QCOMPARE(*parsed, number);
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_port_names.moc"
