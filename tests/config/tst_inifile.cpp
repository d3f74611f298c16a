#include "config/IniFile.h"

#include "ScopedUnprivileged.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray cp1251(const QString& text) {
    QStringEncoder encode("windows-1251");
    return encode(text);
}

const QLocale Russian(QLocale::Russian, QLocale::Russia);

const QFileDevice::Permissions AllAccess = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("VelmoraTuner.ini");
    }
    void cleanup() {
        QLocale::setDefault(QLocale::c());
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& name :
             QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const QString path = m_dir.filePath(name);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFileInfo(path).isDir() ? void(QDir(path).removeRecursively())
                                    : void(QFile::remove(path));
        }
    }

    void missingFileReadsEmptyAndIsNotCreated() {
        IniFile ini(m_path);
        QVERIFY(ini.load());
        QVERIFY(ini.loadError().isEmpty());
        QCOMPARE(ini.readReal("Koef", "Kdc", 14.33), 14.33);
        QVERIFY(!QFile::exists(m_path));

        ini.writeInteger("Connection", "ComPort", 3);
        QVERIFY2(ini.save(), qPrintable(ini.saveError()));
        QCOMPARE(readFile(m_path), QByteArray("[Connection]\nComPort=3\n"));
    }

    void unusableFileReadsEmptyAndIsKept_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reasonPart");

        QTest::newRow("binary") << QByteArray("[Koef]\nKdc=1\0\0\0\x01\x02", 17)
                                << QString("не текстовый файл (байт 0x00 в позиции 12)");
        QTest::newRow("control byte")
            << QByteArray("[Koef]\nKdc=\x07") << QString("не текстовый файл (байт 0x07");
        QTest::newRow("words only")
            << QByteArray("this is not\nan ini file\n") << QString("нет ни одного раздела");
        QByteArray huge;
        while (huge.size() <= IniFile::MaxFileBytes) {
            huge += "[Koef]\nKdc=1.5\n";
        }
        QTest::newRow("over 1 MiB") << huge << QString("больше допустимых");
    }
    void unusableFileReadsEmptyAndIsKept() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reasonPart);
        writeFile(m_path, contents);

        IniFile ini(m_path);
        QVERIFY(!ini.load());
        QVERIFY2(ini.loadError().contains(m_path), qPrintable(ini.loadError()));
        QVERIFY2(ini.loadError().contains(reasonPart), qPrintable(ini.loadError()));
        QVERIFY(!ini.hasKey("Koef", "Kdc"));
        QCOMPARE(ini.readReal("Koef", "Kdc", 14.33), 14.33);
        QCOMPARE(readFile(m_path), contents);

        // The first real write keeps the unusable contents under another name.
        ini.writeInteger("Connection", "ComPort", 5);
        QVERIFY2(ini.save(), qPrintable(ini.saveError()));
        QCOMPARE(readFile(m_path + ".bad"), contents);
        QCOMPARE(readFile(m_path), QByteArray("[Connection]\nComPort=5\n"));

        // Later saves just replace the (now good) file; older copies are never overwritten.
        ini.writeInteger("Connection", "ComPort", 6);
        QVERIFY(ini.save());
        QVERIFY(!QFile::exists(m_path + ".bad.1"));
        QCOMPARE(readFile(m_path + ".bad"), contents);
    }

    void secondUnusableFileGetsNextFreeName() {
        writeFile(m_path + ".bad", "older copy");
        writeFile(m_path, QByteArray("\0", 1));
        IniFile ini(m_path);
        QVERIFY(!ini.load());
        QVERIFY(ini.save());
        QCOMPARE(readFile(m_path + ".bad"), QByteArray("older copy"));
        QCOMPARE(readFile(m_path + ".bad.1"), QByteArray("\0", 1));
    }

    void unreadableFileReadsEmptyAndIsKept() {
        writeFile(m_path, "[Koef]\nKdc=20\n");
        QVERIFY(QFile::setPermissions(m_path, QFileDevice::Permissions()));
        QVERIFY(QFile::setPermissions(m_dir.path(), AllAccess));
        IniFile ini(m_path);
        {
            ScopedUnprivileged unprivileged;
            QVERIFY(unprivileged.effective());
            QVERIFY(!ini.load());
        }
        QVERIFY2(ini.loadError().contains(m_path), qPrintable(ini.loadError()));
        QCOMPARE(ini.readReal("Koef", "Kdc", 14.33), 14.33);
        QVERIFY(ini.save());
        QCOMPARE(readFile(m_path + ".bad"), QByteArray("[Koef]\nKdc=20\n"));
    }

    void directoryInPlaceOfTheFileIsNeitherReadNorReplaced() {
        QVERIFY(QDir(m_dir.path()).mkdir("VelmoraTuner.ini"));
        IniFile ini(m_path);
        QVERIFY(!ini.load());
        QVERIFY(ini.loadError().contains("не обычный файл"));
        ini.writeInteger("Connection", "ComPort", 1);
        QVERIFY(!ini.save());
        QVERIFY2(ini.saveError().contains(m_path), qPrintable(ini.saveError()));
        QVERIFY(QFileInfo(m_path).isDir());
    }

    void refusedSaveLeavesOldFileIntact() {
        const QByteArray old = "[Koef]\nKdc=14,33\n";
        writeFile(m_path, old);
        // The file itself stays writable: only a save that rewrote it in place could succeed,
        // and such a save is what leaves a torn file behind when it is cut short.
        QVERIFY(QFile::setPermissions(m_path, AllAccess & ~(QFile::ExeOwner | QFile::ExeUser |
                                                            QFile::ExeGroup | QFile::ExeOther)));
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                        QFile::ReadOther | QFile::ExeOther));

        IniFile ini(m_path);
        QVERIFY(ini.load());
        ini.writeReal("Koef", "Kdc", 10.0);
        {
            ScopedUnprivileged unprivileged;
            QVERIFY(unprivileged.effective());
            QVERIFY(!ini.save());
        }
        QVERIFY2(ini.saveError().contains(m_path), qPrintable(ini.saveError()));
        QVERIFY2(ini.saveError().startsWith("Не удалось записать файл настроек"),
                 qPrintable(ini.saveError()));
        QCOMPARE(readFile(m_path), old);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"VelmoraTuner.ini"});
        // The value stays in memory; a later save that is allowed writes it.
        QCOMPARE(ini.readReal("Koef", "Kdc", 0), 10.0);
    }

    void integerAndBooleanValues_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("integer"); // with fallback -7
        QTest::addColumn<int>("boolean"); // 0, 1, or -1 for "fallback" (asked with true and false)

        QTest::newRow("digits") << QByteArray("12") << 12 << 1;
        QTest::newRow("zero") << QByteArray("0") << 0 << 0;
        QTest::newRow("negative") << QByteArray("-3") << -3 << 1;
        QTest::newRow("plus sign") << QByteArray("+4") << 4 << 1;
        QTest::newRow("spaces") << QByteArray("  21  ") << 21 << 1;
        QTest::newRow("trailing letters") << QByteArray("12abc") << -7 << -1;
        QTest::newRow("hex") << QByteArray("0x10") << -7 << -1;
        QTest::newRow("real") << QByteArray("1.5") << -7 << -1;
        QTest::newRow("too large") << QByteArray("99999999999") << -7 << -1;
        QTest::newRow("empty") << QByteArray("") << -7 << -1;
        QTest::newRow("word") << QByteArray("true") << -7 << -1;
    }
    void integerAndBooleanValues() {
        QFETCH(QByteArray, text);
        QFETCH(int, integer);
        QFETCH(int, boolean);
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[S]\nK=" + text + "\n"));
        QCOMPARE(ini.readInteger("S", "K", -7), integer);
        QCOMPARE(ini.readBool("S", "K", true), boolean == -1 ? true : boolean == 1);
        QCOMPARE(ini.readBool("S", "K", false), boolean == -1 ? false : boolean == 1);
    }

    void realValuesReadWithEitherSeparator_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected"); // fallback is -99

        const struct {
            const char* name;
            const char* text;
            double expected;
        } cases[] = {
            {"comma", "14,33", 14.33},
            {"point", "14.33", 14.33},
            {"spaces", "  1,5 ", 1.5},
            {"integer", "20", 20.0},
            {"negative", "-0,25", -0.25},
            {"exponent", "1,5e2", 150.0},
            {"both separators", "1,234.5", -99},
            {"two commas", "1,2,3", -99},
            {"group space", "1 234,5", -99},
            {"letters", "abc", -99},
            {"empty", "", -99},
            {"not a number", "nan", -99},
            {"infinite", "inf", -99},
            {"overflow", "1e999", -99},
        };
        for (const QLocale& locale : {QLocale::c(), Russian}) {
            for (const auto& c : cases) {
                QTest::addRow("%s %s", qPrintable(locale.name()), c.name)
                    << locale << QByteArray(c.text) << c.expected;
            }
        }
    }
    void realValuesReadWithEitherSeparator() {
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QLocale::setDefault(locale);
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[Koef]\nKdc=" + text + "\n"));
        QCOMPARE(ini.readReal("Koef", "Kdc", -99), expected);
    }

    void realValuesWrittenWithLocaleSeparator_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("inC");
        QTest::addColumn<QByteArray>("inRussian");

        QTest::newRow("Kdc") << 14.33 << QByteArray("14.33") << QByteArray("14,33");
        QTest::newRow("table step") << 10.9375 << QByteArray("10.9375") << QByteArray("10,9375");
        QTest::newRow("whole") << 1.0 << QByteArray("1") << QByteArray("1");
        QTest::newRow("15 digits") << 0.1 + 0.2 << QByteArray("0.3") << QByteArray("0,3");
        QTest::newRow("no groups") << 12345.5 << QByteArray("12345.5") << QByteArray("12345,5");
        QTest::newRow("negative") << -1.5 << QByteArray("-1.5") << QByteArray("-1,5");
        QTest::newRow("large") << 1e20 << QByteArray("1e+20") << QByteArray("1e+20");
    }
    void realValuesWrittenWithLocaleSeparator() {
        QFETCH(double, value);
        QFETCH(QByteArray, inC);
        QFETCH(QByteArray, inRussian);
        for (const auto& [locale, expected] :
             {std::pair{QLocale::c(), inC}, std::pair{Russian, inRussian}}) {
            QLocale::setDefault(locale);
            IniFile ini(m_path);
            ini.writeReal("Koef", "Kdc", value);
            QCOMPARE(ini.serialize(), "[Koef]\nKdc=" + expected + "\n");
            IniFile reread(m_path);
            QVERIFY(reread.loadFromBytes(ini.serialize()));
            QCOMPARE(reread.readReal("Koef", "Kdc", -99), value);
        }
    }

    void sectionsAndKeysIgnoreCase() {
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[KOEF]\nkdc=3,5\n[connection]\nCOMPORT=4\n"));
        QCOMPARE(ini.readReal("Koef", "Kdc", 0), 3.5);
        QCOMPARE(ini.readInteger("Connection", "ComPort", 0), 4);
        // A write updates the existing entry and keeps the file's spelling.
        ini.writeInteger("Connection", "ComPort", 9);
        QCOMPARE(ini.serialize(), QByteArray("[KOEF]\nkdc=3,5\n\n\n[connection]\nCOMPORT=9\n"));
    }

    void unknownEntriesCommentsAndBytesSurviveAWrite() {
        const QByteArray original = "; " + cp1251("Настройки программы") +
                                    "\n"
                                    "\n"
                                    "[Koef]\n"
                                    "Kdc=14,33\n"
                                    "Extra=" +
                                    cp1251("значение") +
                                    "\n"
                                    "\n"
                                    "; " +
                                    cp1251("раздел другой программы") +
                                    "\n"
                                    "[Other]\n"
                                    "a=1\n"
                                    "stray line\n"
                                    "b=\xff\x98\x80\n";
        writeFile(m_path, original);
        IniFile ini(m_path);
        QVERIFY2(ini.load(), qPrintable(ini.loadError()));
        QCOMPARE(ini.readString("Koef", "Extra"), QString("значение"));
        ini.writeReal("Koef", "Kdc", 10.5);
        ini.writeInteger("Connection", "ComPort", 2);
        QVERIFY(ini.save());

        // SimpleIni puts two blank lines before every section and drops the stray line.
        const QByteArray expected = "; " + cp1251("Настройки программы") +
                                    "\n"
                                    "\n"
                                    "\n"
                                    "[Koef]\n"
                                    "Kdc=10.5\n"
                                    "Extra=" +
                                    cp1251("значение") +
                                    "\n"
                                    "\n"
                                    "\n"
                                    "; " +
                                    cp1251("раздел другой программы") +
                                    "\n"
                                    "[Other]\n"
                                    "a=1\n"
                                    "b=\xff\x98\x80\n"
                                    "\n"
                                    "\n"
                                    "[Connection]\n"
                                    "ComPort=2\n";
        QCOMPARE(readFile(m_path), expected);
    }

    void unclosedSectionLineBecomesAComment() {
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[Koef]\nKdc=2\n[Ports\nCOM7=/dev/ttyUSB0\n"));
        QCOMPARE(ini.readBytes("Koef", "COM7"), QByteArray("/dev/ttyUSB0"));
        ini.writeInteger("Connection", "ComPort", 7);
        const QByteArray saved = ini.serialize();
        QCOMPARE(saved, QByteArray("[Koef]\nKdc=2\n\n;[Ports\nCOM7=/dev/ttyUSB0\n\n\n"
                                   "[Connection]\nComPort=7\n"));
        IniFile again(m_path);
        QVERIFY(again.loadFromBytes(saved));
        QCOMPARE(again.serialize(), saved);
    }

    void keysOfASectionInFileOrder() {
        IniFile ini(m_path);
        QVERIFY(ini.loadFromBytes("[Ports]\nCOM7=/dev/ttyUSB0\ncom3=/dev/pts/4\nJunk\n"
                                  "COM2=/dev/pts/5\n[Other]\nCOM1=x\n"));
        QCOMPARE(ini.keys("ports"), (QList<QByteArray>{"COM7", "com3", "COM2"}));
        QCOMPARE(ini.readBytes("Ports", "COM2"), QByteArray("/dev/pts/5"));
        QCOMPARE(ini.keys("Missing"), QList<QByteArray>());
        QCOMPARE(ini.sections(), (QList<QByteArray>{"Ports", "Other"}));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
