#include "config/AppSettings.h"
#include "config/IniFile.h"

#include "ScopedUnprivileged.h"
#include "TestFiles.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QLocale Russian(QLocale::Russian, QLocale::Russia);

} // namespace

class TestAppSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("VelmoraTuner.ini");
        QFile::remove(m_path);
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void factoryValuesWithoutAFile() {
        IniFile ini(m_path);
        QVERIFY(ini.load());
        const AppSettings s = readAppSettings(ini);

        QCOMPARE(s.kdc, 14.33);
        QCOMPARE(s.urd, 1.5);
        QCOMPARE(s.filterSelect, 0);
        QCOMPARE(s.filterMaxTenPercent, 0);
        QCOMPARE(s.displaySignalDuringAlarm, false);
        QCOMPARE(s.displayThresholdExcess, 0);
        QCOMPARE(s.comPort, 0);
        QVERIFY(s.portDevices.isEmpty());
        // Exact: every table value is a multiple of 1/64.
        QCOMPARE(s.pp[0], 10.9375);
        QCOMPARE(s.mp[0], 10.9375);
        QCOMPARE(s.bp[0], 23.4375);
        QCOMPARE(s.pp[1], 12.5);
        QCOMPARE(s.pp[31], 59.375);
        QCOMPARE(s.mp[31], 59.375);
        QCOMPARE(s.bp[31], 71.875);
    }

    void factoryLengthTable_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("band0");
        QTest::addColumn<int>("band1");
        const int rows[][3] = {{2, 15, 30}, {3, 15, 29}, {4, 15, 29}, {5, 15, 28},  {6, 15, 28},
                               {7, 10, 27}, {8, 10, 27}, {9, 10, 25}, {10, 10, 25}, {11, 7, 23},
                               {12, 7, 23}, {13, 7, 20}, {14, 7, 20}, {15, 7, 17},  {16, 7, 17},
                               {17, 6, 15}, {19, 6, 15}, {20, 6, 13}, {21, 5, 13},  {22, 5, 13},
                               {23, 5, 11}, {25, 5, 11}, {26, 3, 10}, {28, 3, 10},  {29, 3, 9},
                               {31, 3, 9}};
        for (const auto& row : rows) {
            QTest::addRow("code %d", row[0]) << row[0] << row[1] << row[2];
        }
    }
    void factoryLengthTable() {
        QFETCH(int, code);
        QFETCH(int, band0);
        QFETCH(int, band1);
        IniFile ini(m_path);
        const AppSettings s = readAppSettings(ini);
        QCOMPARE(s.freq0Dist[code], band0);
        QCOMPARE(s.freq1Dist[code], band1);
    }

    void fileWithCommasReadsTheSameInEveryLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("Russian") << Russian;
    }
    void fileWithCommasReadsTheSameInEveryLocale() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        writeFile(m_path, "[koef]\r\n"
                          "KDC=10,5\r\n"
                          "Urd=2.25\r\n"
                          "[Filter]\r\n"
                          "Select=21\r\n"
                          "MaxTenPercent=-1\r\n"
                          "[Display]\r\n"
                          "SignalDuringAlarm=2\r\n"
                          "ThresholdExcess=3\r\n"
                          "[PP]\r\n"
                          "PP0=11,5\r\n"
                          "PP31=abc\r\n"
                          "[MP]\r\n"
                          "MP5=20,5\r\n"
                          "[BP]\r\n"
                          "BP31=70\r\n"
                          "[Sens]\r\n"
                          "Freq0Dist2=7\r\n"
                          "Freq1Dist31=x\r\n"
                          "Freq1Dist1=4\r\n"
                          "[Connection]\r\n"
                          "ComPort=5\r\n");
        IniFile ini(m_path);
        QVERIFY(ini.load());
        const AppSettings s = readAppSettings(ini);
        const AppSettings factory = AppSettings::defaults();

        QCOMPARE(s.kdc, 10.5);
        QCOMPARE(s.urd, 2.25);
        QCOMPARE(s.filterSelect, 21);
        QCOMPARE(s.filterMaxTenPercent, -1);
        QCOMPARE(s.displaySignalDuringAlarm, true);
        QCOMPARE(s.displayThresholdExcess, 3);
        QCOMPARE(s.pp[0], 11.5);
        QCOMPARE(s.pp[31], factory.pp[31]);
        QCOMPARE(s.mp[5], 20.5);
        QCOMPARE(s.mp[0], factory.mp[0]);
        QCOMPARE(s.bp[31], 70.0);
        QCOMPARE(s.freq0Dist[2], 7);
        QCOMPARE(s.freq1Dist[31], factory.freq1Dist[31]);
        // Length code 1 is not a key of the file.
        QCOMPARE(s.freq1Dist[1], factory.freq1Dist[1]);
        QCOMPARE(s.comPort, 5);
    }

    void portOverrides_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("expected"); // "number=path;..." in port order

        QTest::newRow("upper and lower case") << QByteArray("COM7=/dev/ttyUSB0\ncom12=/dev/pts/3\n")
                                              << "7=/dev/ttyUSB0;12=/dev/pts/3";
        QTest::newRow("spaces around")
            << QByteArray("Com9 =  /dev/serial/by-id/usb-1 \n") << "9=/dev/serial/by-id/usb-1";
        QTest::newRow("same port twice, last wins")
            << QByteArray("COM4=/dev/a\ncom4=/dev/b\n") << "4=/dev/b";
        QTest::newRow("malformed keys ignored")
            << QByteArray("COM0=/dev/a\nCOM07=/dev/b\nCOMx=/dev/c\nCOM=/dev/d\nLPT1=/dev/e\n"
                          "COM-1=/dev/f\nCOM 5=/dev/g\nCOM99999999999=/dev/h\nCOM2\nCOM3=\n"
                          "COM8=/dev/ok\n")
            << "8=/dev/ok";
    }
    void portOverrides() {
        QFETCH(QByteArray, section);
        QFETCH(QString, expected);
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[Connection]\nComPort=1\n[ports]\n" + section));
        const AppSettings s = readAppSettings(ini);
        QStringList pairs;
        for (auto it = s.portDevices.cbegin(); it != s.portDevices.cend(); ++it) {
            pairs << QString::number(it.key()) + "=" + it.value();
        }
        QCOMPARE(pairs.join(';'), expected);
    }

    void portNumberRoundTripKeepsTheRest() {
        writeFile(m_path, "[Koef]\nKdc=12,5\n[Ports]\nCOM5=/dev/pts/7\n");
        IniFile ini(m_path);
        QVERIFY(ini.load());
        const SettingsWriteResult result = writePortNumber(ini, 5);
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(result.error.isEmpty());
        QCOMPARE(readFile(m_path),
                 QByteArray("[Koef]\nKdc=12,5\n\n\n[Ports]\nCOM5=/dev/pts/7\n\n\n[Connection]\n"
                            "ComPort=5\n"));

        IniFile reread(m_path);
        QVERIFY(reread.load());
        const AppSettings s = readAppSettings(reread);
        QCOMPARE(s.comPort, 5);
        QCOMPARE(s.kdc, 12.5);
        QCOMPARE(s.portDevices.value(5), QString("/dev/pts/7"));
    }

    void refusedPortNumberWriteNamesTheFile() {
        writeFile(m_path, "[Connection]\nComPort=2\n");
        IniFile ini(m_path);
        QVERIFY(ini.load());
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                        QFile::ReadOther | QFile::ExeOther));
        SettingsWriteResult result;
        {
            ScopedUnprivileged unprivileged;
            QVERIFY(unprivileged.effective());
            result = writePortNumber(ini, 6);
        }
        QVERIFY(QFile::setPermissions(m_dir.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(m_path), qPrintable(result.error));
        QCOMPARE(readFile(m_path), QByteArray("[Connection]\nComPort=2\n"));
    }

    void propertiesRoundTrip_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("kdcLine");
        QTest::newRow("C") << QLocale::c() << QByteArray("Kdc=15.25\n");
        QTest::newRow("Russian") << Russian << QByteArray("Kdc=15,25\n");
    }
    void propertiesRoundTrip() {
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, kdcLine);
        QLocale::setDefault(locale);
        writeFile(m_path, "[Connection]\nComPort=4\n[Ports]\nCOM4=/dev/pts/2\n");

        AppSettings values = AppSettings::defaults();
        values.kdc = 15.25;
        values.urd = 0.75;
        values.filterSelect = 21;
        values.filterMaxTenPercent = -1;
        values.displaySignalDuringAlarm = true;
        values.displayThresholdExcess = 2;
        values.pp[0] = 11.0;
        values.mp[17] = 37.5;
        values.bp[31] = 80.125;
        values.freq0Dist[2] = 7;
        values.freq1Dist[31] = 12;
        values.comPort = 9;                     // not the properties page's to store
        values.portDevices.insert(1, "/dev/x"); // neither is this

        IniFile ini(m_path);
        QVERIFY(ini.load());
        const SettingsWriteResult result = writeAppSettings(ini, values);
        QVERIFY2(result.ok, qPrintable(result.error));

        const QByteArray text = readFile(m_path);
        QVERIFY2(text.contains("[Koef]\n" + kdcLine), text.constData());
        for (const char* line :
             {"[Filter]\nSelect=21\nMaxTenPercent=-1\n",
              "[Display]\nSignalDuringAlarm=1\nThresholdExcess=2\n",
              "[PP]\nPP0=11\nPP1=", "\nPP31=", "[MP]\nMP0=", "[BP]\nBP0=",
              "[Sens]\nFreq0Dist2=7\nFreq1Dist2=30\nFreq0Dist3=", "\nFreq1Dist31=12\n"}) {
            QVERIFY2(text.contains(line), line);
        }

        IniFile reread(m_path);
        QVERIFY(reread.load());
        AppSettings s = readAppSettings(reread);
        QCOMPARE(s.comPort, 4);
        QCOMPARE(s.portDevices.value(4), QString("/dev/pts/2"));
        QCOMPARE(s.portDevices.size(), 1);
        s.comPort = values.comPort;
        s.portDevices = values.portDevices;
        QCOMPARE(s.kdc, values.kdc);
        QCOMPARE(s.urd, values.urd);
        QCOMPARE(s.filterSelect, values.filterSelect);
        QCOMPARE(s.filterMaxTenPercent, values.filterMaxTenPercent);
        QCOMPARE(s.displaySignalDuringAlarm, values.displaySignalDuringAlarm);
        QCOMPARE(s.displayThresholdExcess, values.displayThresholdExcess);
        QVERIFY(s.pp == values.pp);
        QVERIFY(s.mp == values.mp);
        QVERIFY(s.bp == values.bp);
        QVERIFY(s.freq0Dist == values.freq0Dist);
        QVERIFY(s.freq1Dist == values.freq1Dist);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
