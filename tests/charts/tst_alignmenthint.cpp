#include "charts/AlignmentMath.h"
#include "charts/HintChoice.h"
#include "protocol/Scales.h"

#include <QtTest>

Q_DECLARE_METATYPE(DisplayPage)

class AlignmentHintTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void niceAxisMaximum_data();
    void niceAxisMaximum();
    void readingsFollowTheMaximum();
    void exactlyNinetyPercentIsGreen();
    void resetLetsTheScaleShrink();
    void zeroMaximumIsGreen();
    void hint_data();
    void hint();
};

void AlignmentHintTest::niceAxisMaximum_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("maximum");
    const double rows[][2] = {{0, 0.1}, {0.05, 0.1}, {0.1, 0.5}, {0.3, 0.5}, {0.5, 1},
                              {0.7, 1}, {4.99, 5},   {5, 10},    {9.9, 10},  {10, 50},
                              {49, 50}, {50, 100},   {123, 500}, {500, 1000}};
    for (const auto& r : rows)
        QTest::addRow("%g", r[0]) << r[0] << r[1];
}

void AlignmentHintTest::niceAxisMaximum() {
    QFETCH(double, value);
    QFETCH(double, maximum);
    QCOMPARE(NiceAxisMaximum(value), maximum);
}

void AlignmentHintTest::readingsFollowTheMaximum() {
    TuneUpReadings r;
    QVERIFY(r.Update(0.30));
    QCOMPARE(r.TuneUpMax(), 0.30);
    QCOMPARE(r.axisMaximum(), 0.5);
    QCOMPARE(r.axisStep(), 0.1);
    QVERIFY(r.Update(0.70));
    QCOMPARE(r.axisMaximum(), 1.0);
    QCOMPARE(r.axisStep(), 0.2);
    QVERIFY(r.barGreen());
    QVERIFY(!r.Update(0.60)); // 0.60 / 0.70 < 0.9
    QVERIFY(!r.barGreen());
    QCOMPARE(r.TuneUpSignal(), 0.60);
    QCOMPARE(r.TuneUpMax(), 0.70);
    QCOMPARE(r.axisMaximum(), 1.0);
}

void AlignmentHintTest::exactlyNinetyPercentIsGreen() {
    // Readings as the detector's codes give them: 90 and 100 counts.
    const double maximum = SignalMillivolts(0, 100, 1);
    const double ninety = SignalMillivolts(0, 90, 1);
    TuneUpReadings r;
    r.Update(maximum);
    r.Update(ninety);
    QVERIFY(r.barGreen());
    r.Update(SignalMillivolts(0, 89, 1));
    QVERIFY(!r.barGreen());
}

void AlignmentHintTest::resetLetsTheScaleShrink() {
    TuneUpReadings r;
    r.Update(0.70);
    r.Update(0.40);
    QVERIFY(!r.barGreen());
    r.ResetMaximum();
    QVERIFY(r.barGreen());
    QCOMPARE(r.TuneUpMax(), 0.40);
    // The reset's own update reads the same signal again: the scale follows it down.
    QVERIFY(r.Update(0.40));
    QCOMPARE(r.axisMaximum(), 0.5);
    QVERIFY(!r.Update(0.38));
    QVERIFY(r.barGreen()); // 0.38 / 0.40 = 0.95
    QCOMPARE(r.axisMaximum(), 0.5);

    // After the detector left alignment the first reading is the new maximum.
    r.MarkAlignmentLeft();
    QCOMPARE(r.TuneUpMax(), -1.0);
    QVERIFY(r.Update(0.20));
    QCOMPARE(r.TuneUpMax(), 0.20);
    QCOMPARE(r.axisMaximum(), 0.5);
}

void AlignmentHintTest::zeroMaximumIsGreen() {
    TuneUpReadings r;
    r.Restart();
    QVERIFY(r.Update(0));
    QVERIFY(r.barGreen());
    QCOMPARE(r.axisMaximum(), 0.1);
    QVERIFY(TuneUpBarGreen(0, 0));
}

void AlignmentHintTest::hint_data() {
    QTest::addColumn<DisplayPage>("page");
    QTest::addColumn<unsigned>("state");
    QTest::addColumn<unsigned>("dis");
    QTest::addColumn<unsigned>("reg");
    QTest::addColumn<int>("hint"); // -1: none
    using P = DisplayPage;
    QTest::newRow("about, normal") << P::About << 0u << 2u << 0u << 6;
    QTest::newRow("about, alarm, signal too high") << P::About << 1u << 2u << 0u << 10;
    QTest::newRow("about, alarm") << P::About << 1u << 0u << 0u << 17;
    QTest::newRow("range, signal too low") << P::Range << 3u << 1u << 0u << 16;
    QTest::newRow("range, signal too high") << P::Range << 0u << 2u << 3u << 10;
    QTest::newRow("params, low supply") << P::Params << 0u << 3u << 0u << 11;
    QTest::newRow("alignment, alarm") << P::TuneUp << 1u << 0u << 0u << 8;
    QTest::newRow("range, alarm") << P::Range << 1u << 0u << 2u << 17;
    QTest::newRow("range, manual") << P::Range << 0u << 0u << 0u << 14;
    QTest::newRow("range, special") << P::Range << 0u << 0u << 1u << 14;
    QTest::newRow("range, automatic") << P::Range << 0u << 0u << 2u << 12;
    QTest::newRow("range, reg 3 keeps the line") << P::Range << 0u << 0u << 3u << -1;
    QTest::newRow("alignment page in alignment") << P::TuneUp << 2u << 0u << 0u << 7;
    QTest::newRow("alignment page, normal") << P::TuneUp << 0u << 0u << 0u << -1;
    QTest::newRow("range in alignment") << P::Range << 2u << 0u << 0u << -1;
    QTest::newRow("params, normal") << P::Params << 0u << 0u << 0u << -1;
    QTest::newRow("range, fault") << P::Range << 3u << 0u << 0u << -1;
}

void AlignmentHintTest::hint() {
    QFETCH(DisplayPage, page);
    QFETCH(unsigned, state);
    QFETCH(unsigned, dis);
    QFETCH(unsigned, reg);
    QFETCH(int, hint);
    QCOMPARE(UpdateHint(page, state, dis, reg).value_or(-1), hint);
}

QTEST_GUILESS_MAIN(AlignmentHintTest)
#include "tst_alignmenthint.moc"
