#include "protocol/Scales.h"

#include <QLocale>
#include <QtTest>

class ScalesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void thresholdDefaults();
    void lengthDefaults_data();
    void lengthDefaults();
    void simpleScales();
    void millivolts_data();
    void millivolts();
    void supplyVolts();
    void thresholdLevels();
    void formats_data();
    void formats();
    void tablesFallBackToDefaults();
    void parseEitherSeparator_data();
    void parseEitherSeparator();
};

void ScalesTest::thresholdDefaults() {
    QCOMPARE(DefaultThresholdPercent(ThresholdKind::PP, 0), 10.9375);
    QCOMPARE(DefaultThresholdPercent(ThresholdKind::MP, 31), 59.375);
    QCOMPARE(DefaultThresholdPercent(ThresholdKind::BP, 0), 23.4375);
    QCOMPARE(DefaultThresholdPercent(ThresholdKind::BP, 31), 71.875);
    QCOMPARE(DefaultThresholdPercent(ThresholdKind::PP, 1) -
                 DefaultThresholdPercent(ThresholdKind::PP, 0),
             1.5625);
}

void ScalesTest::lengthDefaults_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("band0");
    QTest::addColumn<int>("band1");
    const int rows[][3] = {
        {0, 15, 31}, {1, 15, 31}, {2, 15, 30}, {4, 15, 29}, {6, 15, 28}, {7, 10, 27}, {10, 10, 25},
        {11, 7, 23}, {14, 7, 20}, {16, 7, 17}, {17, 6, 15}, {19, 6, 15}, {20, 6, 13}, {21, 5, 13},
        {22, 5, 13}, {25, 5, 11}, {26, 3, 10}, {28, 3, 10}, {29, 3, 9},  {31, 3, 9},  {32, 3, 31}};
    for (const auto& r : rows)
        QTest::addRow("code %d", r[0]) << r[0] << r[1] << r[2];
}

void ScalesTest::lengthDefaults() {
    QFETCH(int, code);
    QFETCH(int, band0);
    QFETCH(int, band1);
    QCOMPARE(DefaultLengthThresholdCode(0, code), band0);
    QCOMPARE(DefaultLengthThresholdCode(1, code), band1);
}

void ScalesTest::simpleScales() {
    QCOMPARE(SensitivityPercent(0), 100);
    QCOMPARE(SensitivityPercent(31), 38);
    QCOMPARE(SectionLengthMetres(1), 0);
    QCOMPARE(SectionLengthMetres(2), 10);
    QCOMPARE(SectionLengthMetres(31), 300);
    QCOMPARE(MinSpeed(0), 0.1);
    QCOMPARE(MinSpeed(3), 0.4);
    QCOMPARE(MaxSpeed(0), 4);
    QCOMPARE(MaxSpeed(3), 10);
    QCOMPARE(CommandStateOf(2), 1u);
    for (unsigned s : {0u, 1u, 3u, 4u, 7u})
        QCOMPARE(CommandStateOf(s), 0u);
}

void ScalesTest::millivolts_data() {
    QTest::addColumn<unsigned>("ref");
    QTest::addColumn<unsigned>("value");
    QTest::addColumn<unsigned>("amplif");
    QTest::addColumn<double>("mv");
    QTest::newRow("full scale gain 0") << 0u << 1023u << 0u << 2.1858;
    QTest::newRow("full scale gain 1") << 0u << 1023u << 1u << 13.333;
    QTest::newRow("full scale gain 2") << 0u << 1023u << 2u << 81.967;
    QTest::newRow("full scale gain 3") << 0u << 1023u << 3u << 500.0;
    QTest::newRow("ref 1 halves") << 1u << 1023u << 3u << 250.0;
    QTest::newRow("average 341") << 0u << 341u << 1u << 4.444;
    QTest::newRow("zero") << 1u << 0u << 2u << 0.0;
}

void ScalesTest::millivolts() {
    QFETCH(unsigned, ref);
    QFETCH(unsigned, value);
    QFETCH(unsigned, amplif);
    QFETCH(double, mv);
    QVERIFY2(qAbs(SignalMillivolts(ref, value, amplif) - mv) < 0.001,
             qPrintable(QString::number(SignalMillivolts(ref, value, amplif))));
}

void ScalesTest::supplyVolts() {
    SupplyScale scale;
    QCOMPARE(scale.SupplyVolts(0), 1.5);
    QVERIFY(qAbs(scale.SupplyVolts(400) - 15.508) < 0.001);
    QVERIFY(qAbs(scale.SupplyVolts(1023) - 37.325) < 0.001);
    scale.Kdc = 10.0;
    QCOMPARE(scale.SupplyVolts(1023), 26.5);
}

void ScalesTest::thresholdLevels() {
    const auto [upper, lower] = ThresholdLevels(4.0, 25.0, 50.0);
    QCOMPARE(upper, 5.0);
    QCOMPARE(lower, 2.0);
}

void ScalesTest::formats_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("four");
    QTest::addColumn<QString>("rounded");
    QTest::newRow("C 10.9375") << "C" << 10.9375 << "10.9375"
                               << "11";
    QTest::newRow("ru 10.9375") << "ru_RU" << 10.9375 << "10,9375"
                                << "11";
    QTest::newRow("half up 12.5") << "C" << 12.5 << "12.5"
                                  << "13";
    QTest::newRow("half up 37.5") << "ru_RU" << 37.5 << "37,5"
                                  << "38";
    QTest::newRow("whole") << "ru_RU" << 25.0 << "25"
                           << "25";
    QTest::newRow("14.0625") << "C" << 14.0625 << "14.0625"
                             << "14";
    QTest::newRow("one half") << "ru_RU" << 0.5 << ",5"
                              << "1";
    QTest::newRow("negative quarter") << "ru_RU" << -0.25 << "-,25"
                                      << "";
    QTest::newRow("zero") << "C" << 0.0 << ""
                          << "";
}

void ScalesTest::formats() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, four);
    QFETCH(QString, rounded);
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(l);
    QCOMPARE(FormatFourDecimals(value), four);
    QCOMPARE(FormatRounded(value), rounded);
}

void ScalesTest::tablesFallBackToDefaults() {
    ScaleTables tables;
    QCOMPARE(tables.ThresholdPercent(ThresholdKind::BP, 0), 23.4375);
    tables.setThresholdCell(ThresholdKind::PP, 3, QStringLiteral("abc"));
    QCOMPARE(tables.ThresholdPercent(ThresholdKind::PP, 3),
             DefaultThresholdPercent(ThresholdKind::PP, 3));
    QVERIFY(!tables.ThresholdPercentStrict(ThresholdKind::PP, 3).has_value());
    tables.setThresholdCell(ThresholdKind::MP, 4, QStringLiteral("20,5"));
    QCOMPARE(tables.ThresholdPercent(ThresholdKind::MP, 4), 20.5);

    QCOMPARE(tables.LengthThresholdCode(0, 2), 15);
    tables.setLengthCell(0, 2, QStringLiteral("7"));
    QCOMPARE(tables.LengthThresholdCode(0, 2), 7);
    tables.setLengthCell(1, 31, QString());
    QCOMPARE(tables.LengthThresholdCode(1, 31), 9);
}

void ScalesTest::parseEitherSeparator_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "14,33" << true << 14.33;
    QTest::newRow("point") << "14.33" << true << 14.33;
    QTest::newRow("spaces") << " 1,5 " << true << 1.5;
    QTest::newRow("negative") << "-2" << true << -2.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("two separators") << "1,2.3" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
}

void ScalesTest::parseEitherSeparator() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    for (const char* name : {"C", "ru_RU", "de_DE"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        const auto parsed = ParseReal(text);
        QCOMPARE(parsed.has_value(), ok);
        if (ok)
            QCOMPARE(*parsed, value);
    }
}

QTEST_GUILESS_MAIN(ScalesTest)
#include "tst_scales.moc"
