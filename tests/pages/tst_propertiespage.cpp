#include "ReportFrames.h"
#include "config/IniFile.h"
#include "pages/PropertiesPage.h"
#include "pages/RangeSettingsStrip.h"
#include "protocol/CommandSlots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Fixture {
    QTemporaryDir dir;
    IniFile file{dir.filePath(QStringLiteral("VelmoraTuner.ini"))};
    ScaleTables tables;
    SupplyScale scale;
    PropertiesPage page{tables, scale, file};
    ThresholdLists lastLists;

    Fixture() {
        QObject::connect(&page, &PropertiesPage::rangeListsChanged,
                         [this](const ThresholdLists& lists) { lastLists = lists; });
    }
    // Start-up with whatever the file holds.
    void start(const QByteArray& contents = {}) {
        if (!contents.isEmpty()) {
            QFile f(file.path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        file.load();
        page.loadSettings(readAppSettings(file));
    }
    QTableWidget* grid(const char* name) { return page.findChild<QTableWidget*>(name); }
    QString cell(const char* name, int row, int column) {
        return grid(name)->item(row, column)->text();
    }
    // Typing into a cell: the grid commits the text as the editor would.
    void type(const char* name, int row, int column, const QString& text) {
        grid(name)->item(row, column)->setText(text);
    }
    QComboBox* box(const char* name) { return page.findChild<QComboBox*>(name); }
    QByteArray fileBytes() {
        QFile f(file.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList row(const char* name, int row) {
        QStringList texts;
        for (int column = 1; column < grid(name)->columnCount(); ++column)
            texts << cell(name, row, column);
        return texts;
    }
};

} // namespace

class PropertiesPageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void startsFromEmptySettingsFile();
    void startsFromStoredChoices();
    void applyNormalisesAndStoresTables();
    void applyTwiceWritesTheSameFile();
    void coefficientsIgnoreWhatIsNoNumber();
    void editedLengthCellIsLiveBeforeApply();
    void writeFailureIsReported();
};

void PropertiesPageTest::initTestCase() {
    QLocale russian(QLocale::Russian, QLocale::Russia);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(russian);
}

void PropertiesPageTest::startsFromEmptySettingsFile() {
    Fixture f;
    f.start();
    QCOMPARE(f.row("sgSense", 0).mid(0, 3), (QStringList{"100", "98", "96"}));
    QCOMPARE(f.row("sgSense", 1).mid(0, 3), (QStringList{"10,9375", "12,5", "14,0625"}));
    QCOMPARE(f.row("sgSense", 2).mid(0, 3), (QStringList{"10,9375", "12,5", "14,0625"}));
    QCOMPARE(f.row("sgSense", 3).mid(0, 3), (QStringList{"23,4375", "25", "26,5625"}));
    QCOMPARE(f.cell("sgSense", 3, 0), QStringLiteral("  БП"));
    QCOMPARE(f.lastLists.pp.mid(0, 3), (QStringList{"11", "13", "14"}));
    QCOMPARE(f.lastLists.sens.last(), QStringLiteral("---"));

    QStringList band0;
    for (int metres = 10; metres <= 300; metres += 10)
        band0 << QString::number(metres <= 50    ? 15
                                 : metres <= 90  ? 10
                                 : metres <= 150 ? 7
                                 : metres <= 190 ? 6
                                 : metres <= 240 ? 5
                                                 : 3);
    QCOMPARE(f.row("sgDist", 1), band0);
    QCOMPARE(f.row("sgDist", 0).last(), QStringLiteral("300"));
    QCOMPARE(f.cell("sgDist", 2, 0), QStringLiteral("Част24:Чув."));

    QCOMPARE(f.box("cbKdc")->currentText(), QStringLiteral("14,33"));
    QCOMPARE(f.box("cbNewUrd")->currentText(), QStringLiteral("1,5"));
    QCOMPARE(f.page.pointsPerSecond(), 1);
    QCOMPARE(f.page.thresholdExcessMode(), 0);
    QVERIFY(!f.page.signalDuringAlarm());
}

void PropertiesPageTest::startsFromStoredChoices() {
    Fixture f;
    f.start("[Filter]\nSelect=21\nMaxTenPercent=40\n[Display]\nThresholdExcess=9\n"
            "SignalDuringAlarm=1\n[Koef]\nKdc=10\n[PP]\nPP0=20,5\n");
    QCOMPARE(f.page.pointsPerSecond(), 116);
    QCOMPARE(f.box("cbTenPercentFilter")->currentIndex(), -1); // beyond the list
    QCOMPARE(f.page.discardedJumps(), 0);
    QCOMPARE(f.page.thresholdExcessMode(), 3); // above the last choice: the last one
    QVERIFY(f.page.signalDuringAlarm());
    QCOMPARE(f.scale.Kdc, 10.0);
    QCOMPARE(f.cell("sgSense", 1, 1), QStringLiteral("20,5"));
    QCOMPARE(f.lastLists.pp.first(), QStringLiteral("21"));
}

void PropertiesPageTest::applyNormalisesAndStoresTables() {
    Fixture f;
    f.start();
    f.type("sgSense", 1, 1, QString());                // empty: back to the default
    f.type("sgSense", 2, 3, QStringLiteral("0,5"));    // one half
    f.type("sgSense", 3, 4, QStringLiteral("abc"));    // no number: the default
    f.type("sgSense", 1, 32, QStringLiteral("-3.25")); // any real is accepted
    f.type("sgSense", 3, 10, QStringLiteral("-0.25"));
    f.type("sgDist", 2, 1, QStringLiteral("x"));
    f.type("sgDist", 1, 30, QStringLiteral("44"));
    f.box("cbSelectFilter")->setCurrentIndex(21);

    const SettingsWriteResult result = f.page.btnApplayParamsClick();
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(f.cell("sgSense", 1, 1), QStringLiteral("10,9375"));
    QCOMPARE(f.cell("sgSense", 2, 3), QStringLiteral(",5"));
    QCOMPARE(f.cell("sgSense", 3, 4), QStringLiteral("28,125"));
    QCOMPARE(f.cell("sgSense", 1, 32), QStringLiteral("-3,25"));
    QCOMPARE(f.cell("sgSense", 3, 10), QStringLiteral("-,25"));
    QCOMPARE(f.cell("sgDist", 2, 1), QStringLiteral("30"));
    QCOMPARE(f.cell("sgDist", 1, 30), QStringLiteral("44"));
    QCOMPARE(f.page.pointsPerSecond(), 116);

    // The Range page gets 32 codes without "---", whatever detector is connected.
    QCOMPARE(f.lastLists.sens.size(), 32);
    QCOMPARE(f.lastLists.mp.at(2), QStringLiteral("1"));
    QCOMPARE(f.lastLists.pp.at(31), QStringLiteral("-3"));

    IniFile stored(f.file.path());
    QVERIFY(stored.load());
    QCOMPARE(stored.readString("MP", "MP2"), QStringLiteral("0,5"));
    QCOMPARE(stored.readString("PP", "PP0"), QStringLiteral("10,9375"));
    QCOMPARE(stored.readInteger("Sens", "Freq1Dist2", -1), 30);
    QCOMPARE(stored.readInteger("Sens", "Freq0Dist31", -1), 44);
    QCOMPARE(stored.readInteger("Filter", "Select", -1), 21);
    QCOMPARE(stored.readString("Koef", "Kdc"), QStringLiteral("14,33"));
}

void PropertiesPageTest::applyTwiceWritesTheSameFile() {
    Fixture f;
    f.start();
    f.type("sgSense", 1, 5, QStringLiteral("33,33333"));
    f.page.btnApplayParamsClick();
    const QByteArray first = f.fileBytes();
    const QStringList cells = f.row("sgSense", 1) + f.row("sgDist", 1);
    f.page.btnApplayParamsClick();
    QCOMPARE(f.fileBytes(), first);
    QCOMPARE(f.row("sgSense", 1) + f.row("sgDist", 1), cells);
    QCOMPARE(f.cell("sgSense", 1, 5), QStringLiteral("33,3333"));
}

void PropertiesPageTest::coefficientsIgnoreWhatIsNoNumber() {
    Fixture f;
    f.start();
    f.box("cbNewKdc")->setEditText(QStringLiteral("abc"));
    f.box("cbNewUrd")->setEditText(QStringLiteral("0"));
    f.page.btnApplayParamsClick();
    QCOMPARE(f.scale.Kdc, 14.33);
    QCOMPARE(f.scale.Urd, 1.5);
    QCOMPARE(f.box("cbNewKdc")->currentText(), QStringLiteral("abc"));
    QVERIFY(f.fileBytes().contains("Kdc=14,33"));

    f.box("cbNewKdc")->setEditText(QStringLiteral("10.5"));
    f.page.btnApplayParamsClick();
    QCOMPARE(f.scale.Kdc, 10.5);
    QCOMPARE(f.box("cbKdc")->currentText(), QStringLiteral("10,5"));
    f.box("cbNewKdc")->setEditText(QStringLiteral("7"));
    f.page.tsParamsShow(); // showing the page again starts from the values in effect
    QCOMPARE(f.box("cbNewKdc")->currentText(), QStringLiteral("10,5"));
}

void PropertiesPageTest::editedLengthCellIsLiveBeforeApply() {
    Fixture f;
    f.start();
    TelemetryTable telemetry;
    CommandSlots commands(telemetry);
    RangeSettingsStrip strip(telemetry, commands, f.tables);
    strip.setThresholdLists(f.lastLists);
    RangeReport r = plainReport();
    r.reg = 2;
    r.dist = 2; // 10 m, band 0
    storeReport(telemetry, r);

    f.type("sgDist", 1, 1, QStringLiteral("7"));
    f.type("sgSense", 1, 8, QStringLiteral("50"));
    QCOMPARE(f.tables.LengthThresholdCode(0, 2), 7);
    QCOMPARE(f.tables.ThresholdPercent(ThresholdKind::PP, 7), 50.0);
    strip.loadOnShow();
    QCOMPARE(strip.selectors().pp.position, 7);
    QCOMPARE(strip.selectors().sens.position, 7);
    QVERIFY(f.fileBytes().isEmpty()); // nothing is stored before Apply
}

void PropertiesPageTest::writeFailureIsReported() {
    QTemporaryDir dir;
    IniFile file(dir.filePath(QStringLiteral("missing/VelmoraTuner.ini")));
    ScaleTables tables;
    SupplyScale scale;
    PropertiesPage page(tables, scale, file);
    QSignalSpy failed(&page, &PropertiesPage::settingsWriteFailed);
    QSignalSpy lists(&page, &PropertiesPage::rangeListsChanged);
    page.findChild<QTableWidget*>("sgSense")->item(1, 1)->setText(QStringLiteral("9"));
    QVERIFY(!page.btnApplayParamsClick().ok);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.at(0).at(0).toString().contains(QStringLiteral("VelmoraTuner.ini")));
    QCOMPARE(lists.count(), 1); // the values are in effect all the same
    QCOMPARE(tables.ThresholdPercent(ThresholdKind::PP, 0), 9.0);
}

QTEST_MAIN(PropertiesPageTest)
#include "tst_propertiespage.moc"
