#include "common/Clock.h"
#include "log/EventLog.h"
#include "log/Version.h"

#include "ScopedUnprivileged.h"
#include "TestFiles.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

namespace {

qint64 localMs(int year, int month, int day, int h, int m, int s, int ms) {
    return QDateTime(QDate(year, month, day), QTime(h, m, s, ms)).toMSecsSinceEpoch();
}

} // namespace

class TestEventLog : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("VelmoraTuner.log");
        QFile::remove(m_path);
        m_clock.setMs(localMs(2025, 12, 9, 9, 5, 3, 7));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void withoutTheFileNothingIsLoggedOrCreated() {
        EventLog log(m_clock, m_path);
        log.StartLog();
        QVERIFY(!log.logEnabled());
        QVERIFY(log.WriteLog("Recv: 12"));
        QVERIFY(log.WriteLog(QString("Связь потеряна")));
        QVERIFY(!QFile::exists(m_path));
    }

    void startEmptiesTheOldFileAndWritesTheFirstLine() {
        writeFile(m_path, "old run\nmore lines\n");
        EventLog log(m_clock, m_path);
        log.StartLog();
        QVERIFY(log.logEnabled());
        QCOMPARE(readFile(m_path), QByteArray("09:05:03.007  09.12.2025 VelmoraTuner v1.56.0.0\n"));
    }

    void linesCarryTheTimeOfDay_data() {
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QByteArray>("stamp");
        QTest::newRow("morning") << localMs(2025, 12, 9, 9, 5, 3, 7) << QByteArray("09:05:03.007");
        QTest::newRow("midnight") << localMs(2025, 12, 10, 0, 0, 0, 0)
                                  << QByteArray("00:00:00.000");
        QTest::newRow("last millisecond")
            << localMs(2025, 12, 9, 23, 59, 59, 999) << QByteArray("23:59:59.999");
        QTest::newRow("afternoon")
            << localMs(2026, 7, 1, 13, 40, 10, 250) << QByteArray("13:40:10.250");
    }
    void linesCarryTheTimeOfDay() {
        QFETCH(qint64, at);
        QFETCH(QByteArray, stamp);
        writeFile(m_path, "");
        EventLog log(m_clock, m_path);
        log.StartLog();
        const qsizetype firstLine = readFile(m_path).size();

        m_clock.setMs(at);
        QVERIFY(log.WriteLog("Recv: 12"));
        QVERIFY(log.WriteLog(QByteArray("Inp: 00 10 20 30")));
        QVERIFY(log.WriteLog(QString("Out:[01 02 03]")));
        QCOMPARE(readFile(m_path).mid(firstLine), stamp + "  Recv: 12\n" + stamp +
                                                      "  Inp: 00 10 20 30\n" + stamp +
                                                      "  Out:[01 02 03]\n");
    }

    void russianTextIsWrittenInWindows1251() {
        writeFile(m_path, "");
        EventLog log(m_clock, m_path);
        log.StartLog();
        const qsizetype firstLine = readFile(m_path).size();
        QVERIFY(log.WriteLog(QString("Нет связи №1")));
        QCOMPARE(readFile(m_path).mid(firstLine),
                 QByteArray("09:05:03.007  \xcd\xe5\xf2 \xf1\xe2\xff\xe7\xe8 \xb9"
                            "1\n"));
    }

    void unwritableFileFailsAndIsRetried() {
        // A file that can be neither replaced nor written: logging is on, every line fails.
        writeFile(m_path, "old\n");
        const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto dirReadOnly = readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(m_path, readOnly));
        QVERIFY(QFile::setPermissions(m_dir.path(), dirReadOnly));
        EventLog log(m_clock, m_path);
        {
            ScopedUnprivileged unprivileged;
            QVERIFY(unprivileged.effective());
            log.StartLog();
            QVERIFY(log.logEnabled());
            QVERIFY(!log.WriteLog("Recv: 4"));
        }
        // Once the file is writable again the next line goes after the old contents.
        QVERIFY(QFile::setPermissions(m_path, readOnly | QFile::WriteOwner | QFile::WriteOther));
        {
            ScopedUnprivileged unprivileged;
            QVERIFY(log.WriteLog("Recv: 5"));
        }
        QVERIFY(QFile::setPermissions(m_dir.path(), dirReadOnly | QFile::WriteOwner));
        QCOMPARE(readFile(m_path), QByteArray("old\n09:05:03.007  Recv: 5\n"));
    }

    void versionString() {
        QCOMPARE(VersionString(), QString("1.56.0.0"));
        QCOMPARE(VersionStringFrom(""), QString("0.0"));
        QCOMPARE(VersionStringFrom(nullptr), QString("0.0"));
        QCOMPARE(VersionStringFrom("2.0.1.3"), QString("2.0.1.3"));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    ManualClock m_clock;
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
